#pragma once

#include <QDialog>
#include <QImage>

class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class ReportDocument;
class UiServices;

// The print preview of a report: one page at a time, painted only when shown, so that a report of
// thousands of pages opens at once; page navigation, zoom, printing and saving as PDF. Printing
// and the file name for the PDF go through the UI services.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(const ReportDocument &report, UiServices &ui, QWidget *parent = nullptr);

    int page() const { return m_page; }
    void showPage(int page);
    // Zoom as a share of the page's real size; 0 fits the whole page, -1 the page's width.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    // The page as shown, painted at the current zoom.
    const QImage &pageImage();

    void printReport();
    void savePdf();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class PageView;
    void buildToolBar();
    void refresh();
    double pixelsPerMm() const;

    const ReportDocument &m_report;
    UiServices &m_ui;
    PageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QImage m_image;
    int m_page = 0;
    double m_zoom = -1;
};
