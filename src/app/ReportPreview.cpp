#include "ReportPreview.h"

#include "Guard.h"
#include "ReportOutput.h"
#include "UiServices.h"
#include "gridtools/WaitCursor.h"

#include <QAbstractListModel>
#include <QAction>
#include <QApplication>
#include <QCache>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

// The icons compiled into the library, for desktops whose theme lacks them.
static void loadOwnIcons()
{
    Q_INIT_RESOURCE(icons);
}

namespace {

const double kZooms[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
constexpr int kThumbnailWidth = 120;
constexpr int kThumbnailFollowMs = 150;
// The thumbnails kept painted, in bytes.
constexpr int kThumbnailBytes = 32 * 1024 * 1024;

// The desktop theme's icon, or the program's own.
QIcon themed(const char *name)
{
    const QString icon = QString::fromLatin1(name);
    return QIcon::fromTheme(icon, QIcon(QStringLiteral(":/icons/%1.svg").arg(icon)));
}

QString withKeys(const QString &text, const QKeySequence &keys)
{
    return keys.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, keys.toString(QKeySequence::NativeText));
}

QAction *command(QWidget *owner, const QString &text, const QKeySequence &keys)
{
    auto *action = new QAction(text, owner);
    action->setShortcut(keys);
    action->setToolTip(withKeys(text, keys));
    owner->addAction(action);
    return action;
}

} // namespace

// The pages as thumbnails, each painted when it first comes into view.
class ReportPreview::Thumbnails : public QAbstractListModel {
public:
    Thumbnails(const ReportDocument &report, QObject *parent)
        : QAbstractListModel(parent), m_report(&report), m_images(kThumbnailBytes)
    {
    }

    void setReport(const ReportDocument &report)
    {
        beginResetModel();
        m_report = &report;
        m_images.clear();
        endResetModel();
    }

    QSize iconSize() const
    {
        const QSizeF page = m_report->layout().pageSize();
        return QSize(kThumbnailWidth, qRound(kThumbnailWidth * page.height() / page.width()));
    }

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : m_report->pageCount(); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::DisplayRole)
            return QString::number(index.row() + 1);
        if (role == Qt::ToolTipRole)
            return QStringLiteral("Strona %1").arg(index.row() + 1);
        if (role != Qt::DecorationRole)
            return {};
        if (const QImage *image = m_images.object(index.row()))
            return *image;
        auto *image = new QImage(m_report->pageImage(index.row(), kThumbnailWidth / m_report->layout().pageSize().width()));
        ++m_painted;
        const QImage shown = *image;
        m_images.insert(index.row(), image, static_cast<int>(image->sizeInBytes()));
        return shown;
    }

    int painted() const { return m_painted; }

private:
    const ReportDocument *m_report;
    mutable QCache<int, QImage> m_images;
    mutable int m_painted = 0;
};

ReportPreview::ReportPreview(ReportOutput &output, UiServices &ui, QWidget *parent)
    : QDialog(parent), m_output(output), m_ui(ui)
{
    loadOwnIcons();
    const ReportDocument &report = output.document();
    setWindowTitle(QStringLiteral("Podgląd wydruku: %1").arg(report.title()));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    if (const QScreen *screen = QApplication::primaryScreen())
        resize(screen->availableGeometry().size() * 0.85);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_pages = new PreviewPages(report, this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_thumbnails = new Thumbnails(report, this);
    m_thumbnailView = new QListView(this);
    m_thumbnailView->setObjectName(QStringLiteral("thumbnails"));
    m_thumbnailView->setViewMode(QListView::IconMode);
    m_thumbnailView->setFlow(QListView::TopToBottom);
    m_thumbnailView->setWrapping(false);
    m_thumbnailView->setMovement(QListView::Static);
    m_thumbnailView->setUniformItemSizes(true);
    m_thumbnailView->setSpacing(6);
    m_thumbnailView->setModel(m_thumbnails);
    m_thumbnailView->setIconSize(m_thumbnails->iconSize());
    m_thumbnailView->setFixedWidth(kThumbnailWidth + 48);
    QPalette desk = m_thumbnailView->palette();
    desk.setColor(QPalette::Base, deskColour());
    desk.setColor(QPalette::Text, Qt::white);
    m_thumbnailView->setPalette(desk);
    connect(m_thumbnailView, &QListView::clicked, this, [this](const QModelIndex &index) { showPage(index.row()); });

    buildToolBar();
    auto *row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(m_thumbnailView);
    row->addWidget(m_pages, 1);
    layout->addLayout(row, 1);
    layout->addWidget(buildFindBar());

    // The thumbnails follow the page in view once the pages stop moving, so that scrolling through
    // the report paints no thumbnail of a page passed by.
    m_thumbnailFollow = new QTimer(this);
    m_thumbnailFollow->setSingleShot(true);
    m_thumbnailFollow->setInterval(kThumbnailFollowMs);
    connect(m_thumbnailFollow, &QTimer::timeout, this, [this] {
        const QModelIndex index = m_thumbnails->index(page());
        m_thumbnailView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_thumbnailView->scrollTo(index);
    });
    connect(m_pages, &PreviewPages::currentPageChanged, this, [this](int page) {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setValue(page + 1);
        m_thumbnailFollow->start();
    });
    connect(m_pages, &PreviewPages::zoomChanged, this, &ReportPreview::showZoom);
    m_thumbnailView->selectionModel()->setCurrentIndex(m_thumbnails->index(0), QItemSelectionModel::ClearAndSelect);
    showZoom();
    m_pages->setFocus();
}

ReportPreview::~ReportPreview() = default;

int ReportPreview::thumbnailsPainted() const
{
    return m_thumbnails->painted();
}

void ReportPreview::buildToolBar()
{
    auto *bar = new QToolBar(this);
    layout()->addWidget(bar);
    const auto tool = [&](const char *icon, const QString &text, const QKeySequence &keys, auto slot) {
        QAction *a = command(this, text, keys);
        a->setIcon(themed(icon));
        bar->addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QAction *panel = tool("view-sidetree", QStringLiteral("Miniatury stron"), QKeySequence(Qt::CTRL | Qt::Key_M),
                          [this](bool shown) { m_thumbnailView->setVisible(shown); });
    panel->setCheckable(true);
    panel->setChecked(true);
    bar->addSeparator();
    tool("go-first", QStringLiteral("Pierwsza strona"), QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { showPage(0); });
    tool("go-previous", QStringLiteral("Poprzednia strona"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
         [this] { showPage(page() - 1); });
    m_pageBox = new QSpinBox(bar);
    m_pageBox->setObjectName(QStringLiteral("pageBox"));
    m_pageBox->setRange(1, m_output.document().pageCount());
    m_pageBox->setKeyboardTracking(false);
    m_pageBox->setToolTip(QStringLiteral("Numer strony"));
    bar->addWidget(m_pageBox);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int value) { showPage(value - 1); });
    m_pageBox->installEventFilter(this);
    m_pageCount = new QLabel(QStringLiteral(" z %1 ").arg(m_output.document().pageCount()), bar);
    bar->addWidget(m_pageCount);
    tool("go-next", QStringLiteral("Następna strona"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
         [this] { showPage(page() + 1); });
    tool("go-last", QStringLiteral("Ostatnia strona"), QKeySequence(Qt::CTRL | Qt::Key_End),
         [this] { showPage(m_output.document().pageCount() - 1); });
    // PageUp and PageDown move by screens, wherever the focus is.
    connect(command(this, QStringLiteral("Ekran w górę"), QKeySequence(Qt::Key_PageUp)), &QAction::triggered, this,
            [this] { m_pages->scrollScreen(-1); });
    connect(command(this, QStringLiteral("Ekran w dół"), QKeySequence(Qt::Key_PageDown)), &QAction::triggered, this,
            [this] { m_pages->scrollScreen(1); });
    bar->addSeparator();
    tool("zoom-out", QStringLiteral("Pomniejsz"), QKeySequence::ZoomOut, [this] { zoomStep(-1); });
    m_zoomBox = new QComboBox(bar);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->setEditable(true);
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    m_zoomBox->setToolTip(QStringLiteral("Widok i powiększenie"));
    m_zoomBox->addItem(themed("zoom-fit-width"), QStringLiteral("Szerokość strony"), QVariant::fromValue(View::PageWidth));
    m_zoomBox->addItem(themed("zoom-fit-best"), QStringLiteral("Cała strona"), QVariant::fromValue(View::WholePage));
    m_zoomBox->addItem(themed("view-pages-facing"), QStringLiteral("Dwie strony"), QVariant::fromValue(View::TwoPages));
    for (const double zoom : kZooms)
        m_zoomBox->addItem(QStringLiteral("%1%").arg(qRound(zoom * 100)), zoom);
    m_zoomBox->setMinimumContentsLength(14);
    m_zoomBox->setCompleter(nullptr);
    bar->addWidget(m_zoomBox);
    connect(m_zoomBox, &QComboBox::textActivated, this, &ReportPreview::zoomTyped);
    connect(m_zoomBox->lineEdit(), &QLineEdit::returnPressed, this, [this] { zoomTyped(m_zoomBox->currentText()); });
    tool("zoom-in", QStringLiteral("Powiększ"), QKeySequence::ZoomIn, [this] { zoomStep(1); });
    bar->addSeparator();
    tool("edit-find", QStringLiteral("Znajdź"), QKeySequence::Find, [this] { showFindBar(); });
    // The commands that end the preview's work carry their names beside their pictures.
    for (QAction *a : {tool("document-print", QStringLiteral("Drukuj"), QKeySequence::Print,
                            [this] { guarded(m_ui, [this] { printReport(); }); }),
                       tool("document-save-as", QStringLiteral("Zapisz jako PDF"), QKeySequence::Save,
                            [this] { guarded(m_ui, [this] { save(); }); }),
                       tool("window-close", QStringLiteral("Zamknij"), QKeySequence(), [this] { accept(); })}) {
        if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(a)))
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
}

QWidget *ReportPreview::buildFindBar()
{
    m_findBar = new QWidget(this);
    m_findBar->setObjectName(QStringLiteral("findBar"));
    auto *row = new QHBoxLayout(m_findBar);
    row->setContentsMargins(6, 3, 6, 3);
    row->addWidget(new QLabel(QStringLiteral("Znajdź:"), m_findBar));
    m_findText = new QLineEdit(m_findBar);
    m_findText->setObjectName(QStringLiteral("findText"));
    m_findText->setPlaceholderText(QStringLiteral("Tekst w komórkach wydruku"));
    m_findText->setClearButtonEnabled(true);
    m_findText->setMaximumWidth(320);
    m_findText->installEventFilter(this);
    row->addWidget(m_findText, 1);
    const auto button = [&](const char *icon, const QString &text, const QKeySequence &keys, int step) {
        QAction *a = command(this, text, keys);
        a->setIcon(themed(icon));
        connect(a, &QAction::triggered, this, [this, step] { find(m_findText->text(), step); });
        auto *b = new QToolButton(m_findBar);
        b->setDefaultAction(a);
        row->addWidget(b);
    };
    button("go-up", QStringLiteral("Poprzednie"), QKeySequence::FindPrevious, -1);
    button("go-down", QStringLiteral("Następne"), QKeySequence::FindNext, 1);
    m_findCount = new QLabel(m_findBar);
    m_findCount->setObjectName(QStringLiteral("findCount"));
    row->addWidget(m_findCount);
    row->addStretch(1);
    auto *close = new QToolButton(m_findBar);
    close->setIcon(themed("window-close"));
    close->setToolTip(QStringLiteral("Zamknij wyszukiwanie (Esc)"));
    close->setAutoRaise(true);
    connect(close, &QToolButton::clicked, m_findBar, &QWidget::hide);
    row->addWidget(close);
    m_findBar->hide();
    return m_findBar;
}

void ReportPreview::showFindBar()
{
    m_findBar->show();
    m_findText->setFocus();
    m_findText->selectAll();
}

int ReportPreview::page() const
{
    return m_pages->currentPage();
}

void ReportPreview::showPage(int page)
{
    m_pages->showPage(page);
}

ReportPreview::View ReportPreview::view() const
{
    switch (m_pages->fit()) {
    case PreviewPages::Fit::PageWidth: return View::PageWidth;
    case PreviewPages::Fit::WholePage: return View::WholePage;
    case PreviewPages::Fit::TwoPages: return View::TwoPages;
    case PreviewPages::Fit::None: break;
    }
    return View::Zoom;
}

void ReportPreview::setView(View view)
{
    switch (view) {
    case View::PageWidth: return m_pages->setFit(PreviewPages::Fit::PageWidth);
    case View::WholePage: return m_pages->setFit(PreviewPages::Fit::WholePage);
    case View::TwoPages: return m_pages->setFit(PreviewPages::Fit::TwoPages);
    case View::Zoom: return m_pages->setZoom(m_pages->zoom());
    }
}

void ReportPreview::setZoom(double zoom)
{
    m_pages->setZoom(zoom);
}

double ReportPreview::zoom() const
{
    return m_pages->zoom();
}

void ReportPreview::showZoom()
{
    const QSignalBlocker block(m_zoomBox);
    const View shown = view();
    if (shown != View::Zoom)
        m_zoomBox->setCurrentIndex(m_zoomBox->findData(QVariant::fromValue(shown)));
    else
        m_zoomBox->setEditText(QStringLiteral("%1%").arg(qRound(zoom() * 100)));
}

void ReportPreview::zoomStep(int direction)
{
    const double now = zoom();
    if (direction > 0) {
        const auto next = std::find_if(std::begin(kZooms), std::end(kZooms), [now](double z) { return z > now + 1e-3; });
        setZoom(next != std::end(kZooms) ? *next : PreviewPages::kMaxZoom);
    } else {
        const auto next = std::find_if(std::rbegin(kZooms), std::rend(kZooms), [now](double z) { return z < now - 1e-3; });
        setZoom(next != std::rend(kZooms) ? *next : PreviewPages::kMinZoom);
    }
}

void ReportPreview::zoomTyped(const QString &text)
{
    const int item = m_zoomBox->findText(text);
    const QVariant data = item >= 0 ? m_zoomBox->itemData(item) : QVariant();
    if (data.userType() == qMetaTypeId<View>())
        return setView(data.value<View>());
    // A percentage typed in: "150", "150%" or "150 %".
    QString digits = text;
    digits.remove(QLatin1Char('%')).remove(QLatin1Char(' '));
    bool number = false;
    const double percent = digits.toDouble(&number);
    if (number && percent > 0)
        setZoom(percent / 100);
    else
        showZoom();
}

void ReportPreview::findNext(const QString &text)
{
    find(text, 1);
}

void ReportPreview::findPrevious(const QString &text)
{
    find(text, -1);
}

void ReportPreview::find(const QString &text, int step)
{
    if (text != m_found) {
        m_found = text;
        std::vector<ReportMatch> matches;
        {
            const WaitCursor wait;
            matches = m_output.document().find(text);
        }
        // The first match from the page in view on, going forward; the last before it, going back.
        const auto from = std::lower_bound(matches.begin(), matches.end(), page(),
                                           [](const ReportMatch &m, int p) { return m.page < p; });
        const int at = static_cast<int>(from - matches.begin());
        const int count = static_cast<int>(matches.size());
        m_match = count == 0 ? -1 : step > 0 ? at % count : (at + count - 1) % count;
        m_pages->setMatches(std::move(matches));
    } else if (matchCount() > 0) {
        m_match = (m_match + step + matchCount()) % matchCount();
    }
    showMatch();
}

void ReportPreview::showMatch()
{
    m_pages->setCurrentMatch(m_match);
    if (m_found.isEmpty())
        m_findCount->clear();
    else if (m_match < 0)
        m_findCount->setText(QStringLiteral("Nie znaleziono"));
    else
        m_findCount->setText(QStringLiteral("%1 z %2").arg(m_match + 1).arg(matchCount()));
}

void ReportPreview::printReport()
{
    const ReportDocument *before = &m_output.document();
    const int record = before->firstRecordOn(page());
    m_output.print(page());
    if (&m_output.document() != before)
        reportChanged(record);
}

void ReportPreview::save()
{
    m_output.save(page());
}

void ReportPreview::reportChanged(int record)
{
    // Laid out again on other paper: the same records stay in view, the matches are found anew.
    // Everything that follows the page in view holds the new report before the pages move.
    const ReportDocument &report = m_output.document();
    m_thumbnails->setReport(report);
    m_thumbnailView->setIconSize(m_thumbnails->iconSize());
    m_pageBox->blockSignals(true);
    m_pageBox->setRange(1, report.pageCount());
    m_pageBox->blockSignals(false);
    m_pageCount->setText(QStringLiteral(" z %1 ").arg(report.pageCount()));
    m_pages->setReport(report, report.pageOfRecord(record));
    const QString found = m_found;
    m_found.clear();
    m_match = -1;
    if (!found.isEmpty())
        find(found, 1);
}

bool ReportPreview::eventFilter(QObject *watched, QEvent *event)
{
    // PageUp and PageDown move by screens in the page box too, not by ten pages.
    if (watched == m_pageBox && event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            event->ignore();
            return true;
        }
    }
    // In the find box Enter finds the next match, Shift+Enter the previous, Esc closes the bar.
    if (watched == m_findText && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(m_findText->text(), key->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            m_findBar->hide();
            m_pages->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
