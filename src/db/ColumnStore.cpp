#include "ColumnStore.h"

#include "platform/Errors.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <sqlite3.h>

namespace {

// A double as SQLite writes it as text: 15 significant digits, ".0" after whole numbers.
QByteArray realText(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    QByteArray text(buffer);
    if (std::isfinite(value) && !text.contains('.') && !text.contains('e') && !text.contains("inf") && !text.contains("nan"))
        text += ".0";
    return text;
}

} // namespace

void ColumnStore::markNotNull()
{
    const size_t word = static_cast<size_t>(m_rows) >> 6;
    if (word >= m_nulls.size())
        m_nulls.push_back(0);
}

void ColumnStore::appendNull()
{
    markNotNull();
    m_nulls[static_cast<size_t>(m_rows) >> 6] |= std::uint64_t(1) << (m_rows & 63);
    switch (m_storage) {
    case Storage::Integer: m_integers.push_back(0); break;
    case Storage::Real: m_reals.push_back(0); break;
    case Storage::Text: m_offsets.push_back(m_offsets.back()); break;
    }
    ++m_rows;
}

void ColumnStore::widenToReal()
{
    m_reals.reserve(m_integers.capacity());
    for (qint64 v : m_integers)
        m_reals.push_back(static_cast<double>(v));
    std::vector<qint64>().swap(m_integers);
    m_storage = Storage::Real;
}

void ColumnStore::widenToText()
{
    std::vector<quint32> offsets{0};
    std::vector<char> text;
    const auto add = [&](const QByteArray &t) {
        text.insert(text.end(), t.constBegin(), t.constEnd());
        offsets.push_back(static_cast<quint32>(text.size()));
    };
    for (qsizetype row = 0; row < m_rows; ++row) {
        if (isNull(row))
            offsets.push_back(static_cast<quint32>(text.size()));
        else
            add(m_storage == Storage::Integer ? QByteArray::number(m_integers[static_cast<size_t>(row)])
                                              : realText(m_reals[static_cast<size_t>(row)]));
    }
    std::vector<qint64>().swap(m_integers);
    std::vector<double>().swap(m_reals);
    m_text.swap(text);
    m_offsets.swap(offsets);
    m_storage = Storage::Text;
}

void ColumnStore::appendText(const char *data, qsizetype length)
{
    if (static_cast<quint64>(m_text.size()) + static_cast<quint64>(length) > std::numeric_limits<quint32>::max())
        throw EDatabaseError(QStringLiteral("Wynik zapytania zawiera więcej tekstu, niż program może pomieścić (4 GB)"));
    m_text.insert(m_text.end(), data, data + length);
    m_offsets.push_back(static_cast<quint32>(m_text.size()));
}

void ColumnStore::append(sqlite3_stmt *stmt, int column)
{
    const int type = sqlite3_column_type(stmt, column);
    if (type == SQLITE_NULL) {
        appendNull();
        return;
    }
    if (type == SQLITE_INTEGER && m_storage == Storage::Integer) {
        markNotNull();
        m_integers.push_back(sqlite3_column_int64(stmt, column));
    } else if ((type == SQLITE_INTEGER || type == SQLITE_FLOAT) && m_storage != Storage::Text) {
        if (m_storage == Storage::Integer)
            widenToReal();
        markNotNull();
        m_reals.push_back(sqlite3_column_double(stmt, column));
    } else {
        if (m_storage != Storage::Text)
            widenToText();
        markNotNull();
        if (type == SQLITE_BLOB) {
            m_hasBlobs = true;
            appendText(static_cast<const char *>(sqlite3_column_blob(stmt, column)), sqlite3_column_bytes(stmt, column));
        } else {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
            appendText(text, sqlite3_column_bytes(stmt, column));
        }
    }
    ++m_rows;
}

void ColumnStore::append(const Cell &cell)
{
    switch (cell.kind) {
    case Cell::Null:
        appendNull();
        return;
    case Cell::Integer:
        if (m_storage == Storage::Integer) {
            markNotNull();
            m_integers.push_back(cell.i);
            ++m_rows;
            return;
        }
        [[fallthrough]];
    case Cell::Real:
        if (m_storage != Storage::Text) {
            if (m_storage == Storage::Integer)
                widenToReal();
            markNotNull();
            m_reals.push_back(cell.asDouble());
            ++m_rows;
            return;
        }
        {
            markNotNull();
            const QByteArray text = cell.kind == Cell::Integer ? QByteArray::number(cell.i) : realText(cell.r);
            appendText(text.constData(), text.size());
            ++m_rows;
            return;
        }
    case Cell::Text:
    case Cell::Blob:
        if (m_storage != Storage::Text)
            widenToText();
        markNotNull();
        m_hasBlobs = m_hasBlobs || cell.kind == Cell::Blob;
        appendText(cell.bytes.constData(), cell.bytes.size());
        ++m_rows;
        return;
    }
}

void ColumnStore::finish()
{
    m_integers.shrink_to_fit();
    m_reals.shrink_to_fit();
    m_text.shrink_to_fit();
    m_offsets.shrink_to_fit();
    m_nulls.shrink_to_fit();
}

qint64 ColumnStore::integerAt(qsizetype row) const
{
    switch (m_storage) {
    case Storage::Integer: return m_integers[static_cast<size_t>(row)];
    case Storage::Real: {
        const double v = m_reals[static_cast<size_t>(row)];
        return std::isfinite(v) ? static_cast<qint64>(v) : 0;
    }
    case Storage::Text: return textAt(row).trimmed().toLongLong();
    }
    return 0;
}

double ColumnStore::realAt(qsizetype row) const
{
    switch (m_storage) {
    case Storage::Integer: return static_cast<double>(m_integers[static_cast<size_t>(row)]);
    case Storage::Real: return m_reals[static_cast<size_t>(row)];
    case Storage::Text: return textAt(row).trimmed().toDouble();
    }
    return 0;
}

const char *ColumnStore::textData(qsizetype row, qsizetype &length) const
{
    const quint32 begin = m_offsets[static_cast<size_t>(row)];
    length = static_cast<qsizetype>(m_offsets[static_cast<size_t>(row) + 1] - begin);
    return m_text.data() + begin;
}

QByteArray ColumnStore::textAt(qsizetype row) const
{
    if (isNull(row))
        return {};
    switch (m_storage) {
    case Storage::Integer: return QByteArray::number(m_integers[static_cast<size_t>(row)]);
    case Storage::Real: return realText(m_reals[static_cast<size_t>(row)]);
    case Storage::Text: {
        qsizetype length;
        const char *data = textData(row, length);
        return QByteArray(data, length);
    }
    }
    return {};
}

Cell ColumnStore::cellAt(qsizetype row) const
{
    if (isNull(row))
        return Cell::null();
    switch (m_storage) {
    case Storage::Integer: return Cell::integer(m_integers[static_cast<size_t>(row)]);
    case Storage::Real: return Cell::real(m_reals[static_cast<size_t>(row)]);
    case Storage::Text: return m_hasBlobs ? Cell::blob(textAt(row)) : Cell::text(textAt(row));
    }
    return Cell::null();
}

size_t ColumnStore::memoryBytes() const
{
    return m_integers.capacity() * sizeof(qint64) + m_reals.capacity() * sizeof(double) + m_text.capacity()
        + m_offsets.capacity() * sizeof(quint32) + m_nulls.capacity() * sizeof(std::uint64_t);
}
