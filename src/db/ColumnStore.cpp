#include "ColumnStore.h"

#include "platform/Errors.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// A double as SQLite writes it as text: 15 significant digits, ".0" after whole numbers.
QByteArray realText(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    QByteArray text(buffer);
    if (std::isfinite(value) && !text.contains('.') && !text.contains('e'))
        text += ".0";
    return text;
}

// The chunk that takes the next value: a new one, reserved whole, when the last is full.
template <class T>
std::vector<T> &chunkFor(std::vector<std::vector<T>> &chunks, qsizetype chunkSize)
{
    if (chunks.empty() || chunks.back().size() == static_cast<size_t>(chunkSize)) {
        chunks.emplace_back();
        chunks.back().reserve(static_cast<size_t>(chunkSize));
    }
    return chunks.back();
}

} // namespace

void ColumnStore::startRow()
{
    if ((static_cast<size_t>(m_rows) >> 6) >= m_nulls.size())
        m_nulls.push_back(0);
}

void ColumnStore::pushInteger(qint64 value)
{
    chunkFor(m_integers, kChunk).push_back(value);
}

void ColumnStore::pushReal(double value)
{
    chunkFor(m_reals, kChunk).push_back(value);
}

void ColumnStore::pushText(const char *data, qsizetype length)
{
    if (m_texts.empty() || m_texts.back().offsets.size() == static_cast<size_t>(kChunk) + 1) {
        if (!m_texts.empty() && m_texts.back().text.capacity() > m_texts.back().text.size() * 5 / 4)
            m_texts.back().text.shrink_to_fit();
        m_texts.emplace_back();
        m_texts.back().offsets.reserve(static_cast<size_t>(kChunk) + 1);
    }
    TextChunk &chunk = m_texts.back();
    if (static_cast<quint64>(chunk.text.size()) + static_cast<quint64>(length) > std::numeric_limits<quint32>::max())
        throw EDatabaseError(QStringLiteral("Wynik zapytania zawiera więcej tekstu, niż program może pomieścić"));
    chunk.text.insert(chunk.text.end(), data, data + length);
    chunk.offsets.push_back(static_cast<quint32>(chunk.text.size()));
}

void ColumnStore::appendNull()
{
    startRow();
    m_nulls[static_cast<size_t>(m_rows) >> 6] |= std::uint64_t(1) << (m_rows & 63);
    switch (m_storage) {
    case Storage::Integer: pushInteger(0); break;
    case Storage::Real: pushReal(0); break;
    case Storage::Text: pushText(nullptr, 0); break;
    }
    ++m_rows;
}

void ColumnStore::widenToReal()
{
    std::vector<std::vector<double>> reals;
    for (const auto &chunk : m_integers) {
        reals.emplace_back();
        reals.back().reserve(static_cast<size_t>(kChunk));
        for (qint64 v : chunk)
            reals.back().push_back(static_cast<double>(v));
    }
    m_integers.clear();
    m_reals.swap(reals);
    m_storage = Storage::Real;
}

void ColumnStore::widenToText()
{
    const Storage from = m_storage;
    const qsizetype rows = m_rows;
    auto integers = std::move(m_integers);
    auto reals = std::move(m_reals);
    m_integers.clear();
    m_reals.clear();
    m_storage = Storage::Text;
    for (qsizetype row = 0; row < rows; ++row) {
        if (isNull(row)) {
            pushText(nullptr, 0);
            continue;
        }
        const size_t c = static_cast<size_t>(row >> kShift), i = static_cast<size_t>(row & kMask);
        const QByteArray text = from == Storage::Integer ? QByteArray::number(integers[c][i]) : realText(reals[c][i]);
        pushText(text.constData(), text.size());
    }
}

void ColumnStore::appendInteger(qint64 value)
{
    startRow();
    switch (m_storage) {
    case Storage::Integer: pushInteger(value); break;
    case Storage::Real: pushReal(static_cast<double>(value)); break;
    case Storage::Text: {
        const QByteArray text = QByteArray::number(value);
        pushText(text.constData(), text.size());
        break;
    }
    }
    ++m_rows;
}

void ColumnStore::appendReal(double value)
{
    startRow();
    if (m_storage == Storage::Integer)
        widenToReal();
    if (m_storage == Storage::Real) {
        pushReal(value);
    } else {
        const QByteArray text = realText(value);
        pushText(text.constData(), text.size());
    }
    ++m_rows;
}

void ColumnStore::appendText(const char *data, qsizetype length, bool blob)
{
    startRow();
    if (m_storage != Storage::Text)
        widenToText();
    m_hasBlobs = m_hasBlobs || blob;
    pushText(data, length);
    ++m_rows;
}

void ColumnStore::append(const Cell &cell)
{
    switch (cell.kind) {
    case Cell::Null: appendNull(); break;
    case Cell::Integer: appendInteger(cell.i); break;
    case Cell::Real: appendReal(cell.r); break;
    case Cell::Text: case Cell::Blob: appendText(cell.bytes.constData(), cell.bytes.size(), cell.kind == Cell::Blob); break;
    }
}

void ColumnStore::finish()
{
    if (!m_integers.empty())
        m_integers.back().shrink_to_fit();
    if (!m_reals.empty())
        m_reals.back().shrink_to_fit();
    if (!m_texts.empty()) {
        m_texts.back().text.shrink_to_fit();
        m_texts.back().offsets.shrink_to_fit();
    }
}

qint64 ColumnStore::integerAt(qsizetype row) const
{
    const size_t c = static_cast<size_t>(row >> kShift), i = static_cast<size_t>(row & kMask);
    switch (m_storage) {
    case Storage::Integer: return m_integers[c][i];
    case Storage::Real: return std::isfinite(m_reals[c][i]) ? static_cast<qint64>(m_reals[c][i]) : 0;
    case Storage::Text: return textAt(row).trimmed().toLongLong();
    }
    return 0;
}

double ColumnStore::realAt(qsizetype row) const
{
    const size_t c = static_cast<size_t>(row >> kShift), i = static_cast<size_t>(row & kMask);
    switch (m_storage) {
    case Storage::Integer: return static_cast<double>(m_integers[c][i]);
    case Storage::Real: return m_reals[c][i];
    case Storage::Text: return textAt(row).trimmed().toDouble();
    }
    return 0;
}

const char *ColumnStore::textData(qsizetype row, qsizetype &length) const
{
    const TextChunk &chunk = m_texts[static_cast<size_t>(row >> kShift)];
    const size_t i = static_cast<size_t>(row & kMask);
    const quint32 begin = chunk.offsets[i];
    length = static_cast<qsizetype>(chunk.offsets[i + 1] - begin);
    return chunk.text.data() + begin;
}

QByteArray ColumnStore::textAt(qsizetype row) const
{
    if (isNull(row))
        return {};
    const size_t c = static_cast<size_t>(row >> kShift), i = static_cast<size_t>(row & kMask);
    switch (m_storage) {
    case Storage::Integer: return QByteArray::number(m_integers[c][i]);
    case Storage::Real: return realText(m_reals[c][i]);
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
    case Storage::Integer: return Cell::integer(integerAt(row));
    case Storage::Real: return Cell::real(realAt(row));
    case Storage::Text: return m_hasBlobs ? Cell::blob(textAt(row)) : Cell::text(textAt(row));
    }
    return Cell::null();
}

size_t ColumnStore::memoryBytes() const
{
    size_t bytes = m_nulls.capacity() * sizeof(std::uint64_t);
    for (const auto &c : m_integers)
        bytes += c.capacity() * sizeof(qint64);
    for (const auto &c : m_reals)
        bytes += c.capacity() * sizeof(double);
    for (const auto &c : m_texts)
        bytes += c.text.capacity() + c.offsets.capacity() * sizeof(quint32);
    return bytes;
}
