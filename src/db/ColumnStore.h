#pragma once

#include "FieldType.h"

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <vector>

// One result column held compactly in chunks of 65,536 rows: 64-bit integers, doubles, or UTF-8
// texts packed into one buffer per chunk with 32-bit offsets; nulls in a bit set. A column starts
// as integers and widens to doubles or texts when a value needs it. Chunks never move once filled,
// so a growing column copies nothing.
class ColumnStore {
public:
    enum class Storage { Integer, Real, Text };

    // Each appender adds one row; a value the storage cannot hold widens the column first.
    void appendNull();
    void appendInteger(qint64 value);
    void appendReal(double value);
    void appendText(const char *data, qsizetype length, bool blob = false);
    void append(const Cell &cell);
    // Gives back the spare capacity of the last chunk once every row is in.
    void finish();

    qsizetype size() const { return m_rows; }
    Storage storage() const { return m_storage; }
    bool hasBlobs() const { return m_hasBlobs; }
    bool isNull(qsizetype row) const { return m_nulls[static_cast<size_t>(row) >> 6] >> (row & 63) & 1; }
    qint64 integerAt(qsizetype row) const;
    double realAt(qsizetype row) const;
    // The text (or blob bytes) of a row; numbers as SQLite writes them.
    QByteArray textAt(qsizetype row) const;
    // The stored bytes of a text row without a copy; valid while the column lives.
    const char *textData(qsizetype row, qsizetype &length) const;
    Cell cellAt(qsizetype row) const;
    size_t memoryBytes() const;

private:
    static constexpr int kShift = 16;
    static constexpr qsizetype kChunk = qsizetype(1) << kShift;
    static constexpr qsizetype kMask = kChunk - 1;

    struct TextChunk {
        std::vector<char> text;
        std::vector<quint32> offsets{0};
    };

    void startRow();
    void widenToReal();
    void widenToText();
    void pushInteger(qint64 value);
    void pushReal(double value);
    void pushText(const char *data, qsizetype length);

    Storage m_storage = Storage::Integer;
    qsizetype m_rows = 0;
    std::vector<std::vector<qint64>> m_integers;
    std::vector<std::vector<double>> m_reals;
    std::vector<TextChunk> m_texts;
    std::vector<std::uint64_t> m_nulls;
    bool m_hasBlobs = false;
};
