#pragma once

#include "report/ReportDocument.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <list>
#include <map>
#include <vector>

// The grey of the desk the pages lie on.
QColor deskColour();

// Where the pages lie: one below another (or two side by side) on the desk, with a gap around
// each. Lengths are in pixels of the content, whose top left is the desk's.
struct PageGrid {
    int pageCount = 1;
    int columns = 1;
    QSizeF page; // a page's size
    double gap = 0;

    int rows() const { return (pageCount + columns - 1) / columns; }
    QSizeF contentSize() const;
    double rowTop(int row) const { return gap + row * (page.height() + gap); }
    // The page under a height of the content: the first of its row; the next row's in a gap.
    int pageAt(double y) const;
};

// The pages of a report one below another (two side by side in the view of two pages) on a grey
// desk, with a gap and a shadow around each; the wheel and the scroll bar move through the whole
// report. Only the pages in view are painted, at the screen's own pixels, and the last few are
// kept; cells that match a search are marked over them.
class PreviewPages : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Fit { PageWidth, WholePage, TwoPages, None };
    static constexpr double kMinZoom = 0.25, kMaxZoom = 4.0;

    explicit PreviewPages(const ReportDocument &report, QWidget *parent = nullptr);

    // The report laid out again, the page given in view.
    void setReport(const ReportDocument &report, int page);
    Fit fit() const { return m_fit; }
    void setFit(Fit fit);
    // The pages at a share of their real size (from 25 % to 400 %).
    void setZoom(double zoom);
    // The share of the real size the pages are shown at.
    double zoom() const;
    int currentPage() const { return m_current; }
    void showPage(int page);
    // Scrolls by a screen up (-1) or down (1).
    void scrollScreen(int direction);
    // The matches to mark, ordered by page.
    void setMatches(std::vector<ReportMatch> matches);
    const std::vector<ReportMatch> &matches() const { return m_matches; }
    // The match marked as current (-1: none), brought into view.
    void setCurrentMatch(int match);
    // A page as painted for the view, at its current scale.
    QImage pageImage(int page);
    // How many pages were painted since the view was opened.
    int pagesPainted() const { return m_painted; }

signals:
    void currentPageChanged(int page);
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    PageGrid grid() const;
    double fittedPixelsPerMm() const;
    void relayOut();
    void updateScrollBars();
    void updateCurrentPage();
    // The top left of a page in the viewport.
    QPointF pageOrigin(const PageGrid &grid, int page) const;
    QRectF matchRect(const ReportMatch &match) const;
    void ensureVisible(const QRectF &rect);
    void paintMatches(QPainter &painter, int page, const QPointF &origin) const;

    const ReportDocument *m_report;
    Fit m_fit = Fit::PageWidth;
    double m_zoom = 1.0;
    double m_perMm = 1.0;
    int m_current = 0;
    int m_painted = 0;
    bool m_jumping = false; // the scroll is moved to a page, which is current however it lies
    std::vector<ReportMatch> m_matches;
    int m_match = -1;
    std::map<int, QImage> m_cache;
    std::list<int> m_recent; // the pages of the cache, the last used first
};
