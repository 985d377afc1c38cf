#include "PreviewPages.h"

#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kGap = 16;
constexpr int kShadow = 4;
// Pages kept painted beyond those in view, at most so many and so many bytes.
constexpr size_t kSpareImages = 8;
constexpr double kSpareBytes = 64.0 * 1024 * 1024;
const QColor kDesk(0x80, 0x80, 0x80), kShadowColour(0x40, 0x40, 0x40);
const QColor kMatch(255, 214, 0, 110), kCurrentMatch(255, 120, 0, 150);

} // namespace

QColor deskColour()
{
    return kDesk;
}

QSizeF PageGrid::contentSize() const
{
    return QSizeF(columns * page.width() + (columns + 1) * gap, gap + rows() * (page.height() + gap));
}

int PageGrid::pageAt(double y) const
{
    const int row = std::clamp(static_cast<int>(std::floor((y - gap) / (page.height() + gap))), 0, rows() - 1);
    const bool inGap = y - rowTop(row) > page.height();
    return std::min(pageCount - 1, std::min(rows() - 1, row + (inGap ? 1 : 0)) * columns);
}

PreviewPages::PreviewPages(const ReportDocument &report, QWidget *parent) : QAbstractScrollArea(parent), m_report(&report)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    // The desk is painted whole: nothing beneath it needs painting first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    relayOut();
}

void PreviewPages::setReport(const ReportDocument &report, int page)
{
    m_report = &report;
    m_matches.clear();
    m_match = -1;
    m_current = std::min(m_current, report.pageCount() - 1);
    relayOut();
    showPage(page);
}

void PreviewPages::setFit(Fit fit)
{
    m_fit = fit;
    relayOut();
}

void PreviewPages::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    m_fit = Fit::None;
    relayOut();
}

double PreviewPages::zoom() const
{
    return m_perMm / (logicalDpiX() / kMmPerInch);
}

double PreviewPages::fittedPixelsPerMm() const
{
    const QSizeF page = m_report->layout().pageSize();
    const double width = viewport()->width() - 2 * kGap, height = viewport()->height() - 2 * kGap;
    switch (m_fit) {
    case Fit::PageWidth: return width / page.width();
    case Fit::WholePage: return std::min(width / page.width(), height / page.height());
    case Fit::TwoPages: return std::min((width - kGap) / (2 * page.width()), height / page.height());
    case Fit::None: break;
    }
    return m_zoom * logicalDpiX() / kMmPerInch;
}

PageGrid PreviewPages::grid() const
{
    return {m_report->pageCount(), m_fit == Fit::TwoPages ? 2 : 1, m_report->layout().pageSize() * m_perMm, kGap};
}

void PreviewPages::relayOut()
{
    // The page in view stays in view, the top of the view as far down it as it was.
    const PageGrid before = grid();
    const int row = m_current / before.columns;
    const double within = (verticalScrollBar()->value() - before.rowTop(row)) / (before.page.height() + kGap);

    const double perInch = logicalDpiX() / kMmPerInch;
    m_perMm = std::clamp(fittedPixelsPerMm(), kMinZoom * perInch, kMaxZoom * perInch);
    m_cache.clear();
    m_recent.clear();
    m_jumping = true;
    updateScrollBars();
    const PageGrid after = grid();
    verticalScrollBar()->setValue(qRound(after.rowTop(m_current / after.columns) + within * (after.page.height() + kGap)));
    m_jumping = false;
    viewport()->update();
    emit zoomChanged();
}

void PreviewPages::updateScrollBars()
{
    const QSizeF content = grid().contentSize();
    const QSize room = viewport()->size();
    QScrollBar *vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, qCeil(content.height()) - room.height()));
    vertical->setPageStep(std::max(1, room.height() - qRound(kGap)));
    vertical->setSingleStep(std::max(20, room.height() / 20));
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, qCeil(content.width()) - room.width()));
    horizontal->setPageStep(std::max(1, room.width()));
    horizontal->setSingleStep(20);
}

void PreviewPages::showPage(int page)
{
    page = std::clamp(page, 0, m_report->pageCount() - 1);
    const PageGrid g = grid();
    m_jumping = true;
    verticalScrollBar()->setValue(qRound(g.rowTop(page / g.columns) - kGap));
    m_jumping = false;
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(page);
    }
    viewport()->update();
}

void PreviewPages::scrollScreen(int direction)
{
    verticalScrollBar()->triggerAction(direction < 0 ? QAbstractSlider::SliderPageStepSub
                                                     : QAbstractSlider::SliderPageStepAdd);
}

void PreviewPages::updateCurrentPage()
{
    if (m_jumping)
        return;
    // The page across the middle of the view; at the end of the report, its last page.
    const QScrollBar *bar = verticalScrollBar();
    const PageGrid g = grid();
    const int page = bar->value() == bar->maximum() && bar->maximum() > 0
                         ? (g.rows() - 1) * g.columns
                         : g.pageAt(bar->value() + viewport()->height() / 2.0);
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(page);
    }
}

void PreviewPages::scrollContentsBy(int, int)
{
    updateCurrentPage();
    viewport()->update();
}

void PreviewPages::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    // A fitted page follows the room it has; the page in view stays in view.
    if (m_fit != Fit::None) {
        relayOut();
    } else {
        m_jumping = true;
        updateScrollBars();
        m_jumping = false;
    }
}

void PreviewPages::wheelEvent(QWheelEvent *event)
{
    // Ctrl and the wheel zoom, as in every viewer.
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() != 0)
            setZoom(zoom() * (event->angleDelta().y() > 0 ? 1.25 : 0.8));
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

QPointF PreviewPages::pageOrigin(const PageGrid &g, int page) const
{
    const double rowWidth = g.columns * g.page.width() + (g.columns - 1) * g.gap;
    const double room = viewport()->width();
    const double left = rowWidth + 2 * g.gap > room ? g.gap - horizontalScrollBar()->value() : (room - rowWidth) / 2;
    // On whole pixels: the page's image is copied as it is, sharp and fast.
    return QPointF(qRound(left + (page % g.columns) * (g.page.width() + g.gap)),
                   qRound(g.rowTop(page / g.columns) - verticalScrollBar()->value()));
}

QImage PreviewPages::pageImage(int page)
{
    const auto found = m_cache.find(page);
    m_recent.remove(page);
    m_recent.push_front(page);
    if (found != m_cache.end())
        return found->second;
    // Painted at the screen's own pixels, so that the page is sharp on a high-DPI screen.
    const qreal ratio = devicePixelRatioF();
    QImage image = m_report->pageImage(page, m_perMm * ratio);
    image.setDevicePixelRatio(ratio);
    ++m_painted;
    m_cache.emplace(page, image);
    return image;
}

void PreviewPages::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kDesk);
    const PageGrid g = grid();
    const double top = verticalScrollBar()->value(), bottom = top + viewport()->height();
    const int first = g.pageAt(top - g.page.height());
    size_t shown = 0;
    for (int page = first; page < g.pageCount; ++page) {
        const QPointF origin = pageOrigin(g, page);
        if (origin.y() + top > bottom)
            break;
        const QRectF rect(origin, g.page);
        if (rect.bottom() < 0)
            continue;
        painter.fillRect(rect.translated(kShadow, kShadow), kShadowColour);
        painter.drawImage(origin, pageImage(page));
        paintMatches(painter, page, origin);
        ++shown;
    }
    // The pages out of view are forgotten, but for a few, as many as fit in the memory kept for them.
    const double pageBytes = 4.0 * g.page.width() * g.page.height() * devicePixelRatioF() * devicePixelRatioF();
    const size_t spare = std::min(kSpareImages, static_cast<size_t>(kSpareBytes / std::max(1.0, pageBytes)));
    while (m_recent.size() > shown + spare) {
        m_cache.erase(m_recent.back());
        m_recent.pop_back();
    }
}

QRectF PreviewPages::matchRect(const ReportMatch &match) const
{
    const QRectF mm = m_report->matchRect(match).translated(ReportLayout::kMargin, ReportLayout::kMargin);
    return QRectF(mm.topLeft() * m_perMm, mm.size() * m_perMm);
}

void PreviewPages::paintMatches(QPainter &painter, int page, const QPointF &origin) const
{
    const auto byPage = [](const ReportMatch &m, int p) { return m.page < p; };
    auto it = std::lower_bound(m_matches.begin(), m_matches.end(), page, byPage);
    for (; it != m_matches.end() && it->page == page; ++it) {
        const bool current = m_match >= 0 && *it == m_matches[static_cast<size_t>(m_match)];
        painter.fillRect(matchRect(*it).translated(origin), current ? kCurrentMatch : kMatch);
    }
}

void PreviewPages::setMatches(std::vector<ReportMatch> matches)
{
    m_matches = std::move(matches);
    m_match = -1;
    viewport()->update();
}

void PreviewPages::setCurrentMatch(int current)
{
    m_match = current;
    if (current >= 0) {
        // The page box follows the match, wherever it lies in the view.
        const ReportMatch &match = m_matches.at(static_cast<size_t>(current));
        m_jumping = true;
        ensureVisible(matchRect(match).translated(pageOrigin(grid(), match.page)));
        m_jumping = false;
        if (match.page != m_current) {
            m_current = match.page;
            emit currentPageChanged(m_current);
        }
    }
    viewport()->update();
}

void PreviewPages::ensureVisible(const QRectF &rect)
{
    const QRect room = viewport()->rect();
    if (rect.top() < 0 || rect.bottom() > room.height())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + qRound(rect.top() - room.height() / 3.0));
    if (rect.left() < 0 || rect.right() > room.width())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + qRound(rect.left() - room.width() / 3.0));
}
