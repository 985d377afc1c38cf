#include "ReportPreview.h"

#include "Guard.h"
#include "UiServices.h"
#include "report/ReportDocument.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kPageGap = 12;
const double kZooms[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0};

// The desktop theme's icon for a command, where the theme has one.
QString themeIcon(QStyle::StandardPixmap icon)
{
    switch (icon) {
    case QStyle::SP_ArrowUp: return QStringLiteral("zoom-in");
    case QStyle::SP_ArrowDown: return QStringLiteral("zoom-out");
    case QStyle::SP_FileDialogDetailedView: return QStringLiteral("document-print");
    case QStyle::SP_DialogSaveButton: return QStringLiteral("document-save-as");
    default: return QString();
    }
}

QString suggestedPdfName(const QString &title)
{
    QString name = title.trimmed();
    name.replace(QRegularExpression(QStringLiteral(R"([/\\:*?"<>|])")), QStringLiteral("_"));
    return (name.isEmpty() ? QStringLiteral("wydruk") : name) + QStringLiteral(".pdf");
}

} // namespace

// The page on a grey desk, painted from the preview's image of it.
class ReportPreview::PageView : public QWidget {
public:
    explicit PageView(ReportPreview &preview) : m_preview(preview)
    {
        setAutoFillBackground(true);
        QPalette desk = palette();
        desk.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
        setPalette(desk);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QImage &image = m_preview.pageImage();
        const QSizeF size = QSizeF(image.size()) / image.devicePixelRatio();
        const QPointF at((width() - size.width()) / 2, kPageGap);
        QPainter painter(this);
        painter.fillRect(QRectF(at + QPointF(3, 3), size), QColor(0x50, 0x50, 0x50));
        painter.drawImage(at, image);
    }

private:
    ReportPreview &m_preview;
};

ReportPreview::ReportPreview(const ReportDocument &report, UiServices &ui, QWidget *parent)
    : QDialog(parent), m_report(report), m_ui(ui)
{
    setWindowTitle(QStringLiteral("Podgląd wydruku: %1").arg(report.title()));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    if (const QScreen *screen = QApplication::primaryScreen())
        resize(screen->availableGeometry().size() * 0.85);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("pages"));
    m_view = new PageView(*this);
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->viewport()->installEventFilter(this);
    layout->addWidget(m_scroll, 1);
    refresh();
}

void ReportPreview::buildToolBar()
{
    auto *bar = new QToolBar(this);
    layout()->addWidget(bar);
    const QStyle *s = style();
    const auto action = [&](QStyle::StandardPixmap icon, const QString &text, const QKeySequence &keys, auto slot) {
        QAction *a = bar->addAction(QIcon::fromTheme(themeIcon(icon), s->standardIcon(icon)), text);
        a->setShortcut(keys);
        a->setToolTip(keys.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, keys.toString(QKeySequence::NativeText)));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    action(QStyle::SP_MediaSkipBackward, QStringLiteral("Pierwsza strona"), QKeySequence(Qt::CTRL | Qt::Key_Home),
           [this] { showPage(0); });
    action(QStyle::SP_MediaSeekBackward, QStringLiteral("Poprzednia strona"), QKeySequence(Qt::Key_PageUp),
           [this] { showPage(m_page - 1); });
    m_pageBox = new QSpinBox(bar);
    m_pageBox->setObjectName(QStringLiteral("pageBox"));
    m_pageBox->setRange(1, m_report.pageCount());
    m_pageBox->setKeyboardTracking(false);
    bar->addWidget(m_pageBox);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int value) { showPage(value - 1); });
    m_pageCount = new QLabel(QStringLiteral(" z %1 ").arg(m_report.pageCount()), bar);
    bar->addWidget(m_pageCount);
    action(QStyle::SP_MediaSeekForward, QStringLiteral("Następna strona"), QKeySequence(Qt::Key_PageDown),
           [this] { showPage(m_page + 1); });
    action(QStyle::SP_MediaSkipForward, QStringLiteral("Ostatnia strona"), QKeySequence(Qt::CTRL | Qt::Key_End),
           [this] { showPage(m_report.pageCount() - 1); });
    bar->addSeparator();
    m_zoomBox = new QComboBox(bar);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->addItem(QStringLiteral("Szerokość strony"), -1.0);
    m_zoomBox->addItem(QStringLiteral("Cała strona"), 0.0);
    for (const double zoom : kZooms)
        m_zoomBox->addItem(QStringLiteral("%1%").arg(qRound(zoom * 100)), zoom);
    bar->addWidget(m_zoomBox);
    connect(m_zoomBox, &QComboBox::activated, this, [this](int index) { setZoom(m_zoomBox->itemData(index).toDouble()); });
    action(QStyle::SP_ArrowUp, QStringLiteral("Powiększ"), QKeySequence::ZoomIn, [this] {
        const double now = m_zoom > 0 ? m_zoom : pixelsPerMm() / (logicalDpiX() / kMmPerInch);
        for (const double zoom : kZooms) {
            if (zoom > now + 1e-6)
                return setZoom(zoom);
        }
    });
    action(QStyle::SP_ArrowDown, QStringLiteral("Pomniejsz"), QKeySequence::ZoomOut, [this] {
        const double now = m_zoom > 0 ? m_zoom : pixelsPerMm() / (logicalDpiX() / kMmPerInch);
        for (auto it = std::rbegin(kZooms); it != std::rend(kZooms); ++it) {
            if (*it < now - 1e-6)
                return setZoom(*it);
        }
    });
    bar->addSeparator();
    // The commands that end the preview's work carry their names beside their pictures.
    for (QAction *a : {action(QStyle::SP_FileDialogDetailedView, QStringLiteral("Drukuj"), QKeySequence::Print,
                              [this] { guarded(m_ui, [this] { printReport(); }); }),
                       action(QStyle::SP_DialogSaveButton, QStringLiteral("Zapisz jako PDF"), QKeySequence::Save,
                              [this] { guarded(m_ui, [this] { savePdf(); }); }),
                       action(QStyle::SP_DialogCloseButton, QStringLiteral("Zamknij"), QKeySequence(), [this] { accept(); })}) {
        if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(a)))
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
}

void ReportPreview::showPage(int page)
{
    page = std::clamp(page, 0, m_report.pageCount() - 1);
    if (page == m_page && !m_image.isNull())
        return;
    m_page = page;
    refresh();
    m_scroll->verticalScrollBar()->setValue(0);
}

void ReportPreview::setZoom(double zoom)
{
    m_zoom = zoom;
    const int index = m_zoomBox->findData(zoom);
    if (index >= 0)
        m_zoomBox->setCurrentIndex(index);
    refresh();
}

double ReportPreview::pixelsPerMm() const
{
    const QSizeF page = m_report.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const QSize room = m_scroll->viewport()->size() - QSize(2 * kPageGap, 2 * kPageGap);
    if (m_zoom == 0)
        return std::max(0.5, std::min(room.width() / page.width(), room.height() / page.height()));
    if (m_zoom < 0)
        return std::max(0.5, room.width() / page.width());
    return m_zoom * logicalDpiX() / kMmPerInch;
}

const QImage &ReportPreview::pageImage()
{
    if (!m_image.isNull())
        return m_image;
    // The page is painted at the screen's own pixels, so that it is sharp on a high-DPI screen.
    const qreal ratio = devicePixelRatioF();
    const double perMm = pixelsPerMm() * ratio;
    const QPageLayout layout = m_report.pageLayout();
    const QSizeF page = layout.fullRect(QPageLayout::Millimeter).size();
    m_image = QImage(QSize(qRound(page.width() * perMm), qRound(page.height() * perMm)), QImage::Format_RGB32);
    m_image.setDotsPerMeterX(qRound(perMm * 1000));
    m_image.setDotsPerMeterY(qRound(perMm * 1000));
    m_image.fill(Qt::white);
    {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
        painter.translate(margins.left() * perMm, margins.top() * perMm);
        m_report.paintPage(painter, m_page);
    }
    m_image.setDevicePixelRatio(ratio);
    return m_image;
}

void ReportPreview::refresh()
{
    m_image = QImage();
    const QSizeF size = QSizeF(pageImage().size()) / m_image.devicePixelRatio();
    m_view->setFixedSize(std::max(qRound(size.width()) + 2 * kPageGap, m_scroll->viewport()->width()),
                         qRound(size.height()) + 2 * kPageGap);
    const QSignalBlocker block(m_pageBox);
    m_pageBox->setValue(m_page + 1);
    m_view->update();
}

bool ReportPreview::eventFilter(QObject *watched, QEvent *event)
{
    // A page fitted to the window follows the room it has.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize && m_zoom <= 0)
        refresh();
    // Ctrl and the wheel zoom, as in every viewer.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const double now = pixelsPerMm() / (logicalDpiX() / kMmPerInch);
            setZoom(std::clamp(now * (wheel->angleDelta().y() > 0 ? 1.25 : 0.8), 0.25, 4.0));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ReportPreview::printReport()
{
    m_ui.printReport(m_report);
}

void ReportPreview::savePdf()
{
    const std::optional<QString> path = m_ui.saveFileName(QStringLiteral("Zapisz wydruk jako PDF"),
                                                          suggestedPdfName(m_report.title()),
                                                          QStringLiteral("Dokumenty PDF (*.pdf)"));
    if (path)
        m_report.writePdf(*path);
}
