#pragma once

#include "PreviewPages.h"

#include <QDialog>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QSpinBox;
class QTimer;
class ReportOutput;
class UiServices;

// The print preview of a report, as office programs show one: the pages one below another,
// thumbnails of them in a side panel, the view of a page's width, of a whole page, of two pages
// or a zoom from 25 % to 400 %, find with its matches marked, printing and saving. Only the pages
// and thumbnails in view are painted, so that a report of thousands of pages opens at once.
// Every dialog goes through the UI services.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    enum class View { PageWidth, WholePage, TwoPages, Zoom };
    Q_ENUM(View)

    ReportPreview(ReportOutput &output, UiServices &ui, QWidget *parent = nullptr);
    ~ReportPreview() override;

    // The page in view, counted from 0.
    int page() const;
    void showPage(int page);
    View view() const;
    void setView(View view);
    // The pages at a share of their real size, from 0.25 to 4.
    void setZoom(double zoom);
    // The share of the real size the pages are shown at.
    double zoom() const;
    PreviewPages &pages() { return *m_pages; }
    // How many thumbnails were painted since the preview was opened.
    int thumbnailsPainted() const;

    // Find: the text looked for in the report's cells, the first match from the page in view on
    // made current; again with the same text, the next one (or the previous one), round the end.
    void findNext(const QString &text);
    void findPrevious(const QString &text);
    int matchCount() const { return static_cast<int>(m_pages->matches().size()); }
    // The current match, counted from 0; -1: none.
    int currentMatch() const { return m_match; }

    void printReport();
    void save();

private:
    class Thumbnails;
    void buildToolBar();
    QWidget *buildFindBar();
    void showFindBar();
    void find(const QString &text, int step);
    void showMatch();
    // After the report was laid out again: the record given (from 0) stays in view.
    void reportChanged(int record);
    void showZoom();
    void zoomStep(int direction);
    void zoomTyped(const QString &text);
    bool eventFilter(QObject *watched, QEvent *event) override;

    ReportOutput &m_output;
    UiServices &m_ui;
    PreviewPages *m_pages = nullptr;
    QListView *m_thumbnailView = nullptr;
    Thumbnails *m_thumbnails = nullptr;
    QTimer *m_thumbnailFollow = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QWidget *m_findBar = nullptr;
    QLineEdit *m_findText = nullptr;
    QLabel *m_findCount = nullptr;
    QString m_found; // the text the matches are of
    int m_match = -1;
};
