#include "ResultWriter.h"

#include "db/DataSet.h"
#include "platform/Errors.h"

#include <QFileDevice>
#include <QIODevice>

namespace {

constexpr qsizetype kWriteSize = 1 << 20;

} // namespace

void writeResult(const DataSet &data, ResultWriter &writer, const QString &task)
{
    if (!data.active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    writer.begin(data);
    const int records = data.recordCount();
    for (int number = 0; number < records; ++number) {
        writer.record(data, data.rowOf(number), number);
        data.database().reportProgress(task, number + 1, records);
    }
    writer.end(data);
}

ByteSink::ByteSink(QIODevice &device) : m_device(device)
{
    m_buffer.reserve(kWriteSize + kWriteSize / 4);
}

void ByteSink::flushIfFull()
{
    if (m_buffer.size() >= kWriteSize)
        flush();
}

void ByteSink::flush()
{
    if (m_buffer.isEmpty())
        return;
    if (m_device.write(m_buffer) != m_buffer.size()) {
        const auto *file = qobject_cast<QFileDevice *>(&m_device);
        throw EFCreateError(file ? file->fileName() : QStringLiteral("-"), m_device.errorString());
    }
    m_buffer.clear();
}
