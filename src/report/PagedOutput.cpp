#include "PagedOutput.h"

#include "platform/FileAccess.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

std::vector<int> printOrder(int first, int last, int copies, bool collate)
{
    std::vector<int> order;
    if (first > last || copies < 1)
        return order;
    order.reserve(static_cast<size_t>(last - first + 1) * static_cast<size_t>(copies));
    const int sets = collate ? copies : 1, each = collate ? 1 : copies;
    for (int set = 0; set < sets; ++set) {
        for (int page = first; page <= last; ++page)
            order.insert(order.end(), static_cast<size_t>(each), page);
    }
    return order;
}

void paintPages(QPagedPaintDevice &device, const std::vector<int> &order, const PagePainter &paint)
{
    QPainter painter(&device);
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0)
            device.newPage();
        paint(painter, order[i]);
    }
}

void writePdfPages(const QString &path, const QString &title, const QPageLayout &layout, const std::vector<int> &order,
                   const PagePainter &paint)
{
    fileaccess::writeThroughTemporary(path, [&](fileaccess::TemporaryFile &file) {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Kwerix"));
        writer.setTitle(title);
        writer.setPageLayout(layout);
        paintPages(writer, order, paint);
    });
}
