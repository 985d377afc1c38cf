#pragma once

#include "FieldType.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

struct sqlite3_stmt;

// One result column held compactly: 64-bit integers, doubles, or UTF-8 texts packed into one buffer
// with 32-bit offsets; nulls in a bit set. A column starts as integers and widens to doubles or
// texts when a value needs it.
class ColumnStore {
public:
    enum class Storage { Integer, Real, Text };

    void append(sqlite3_stmt *stmt, int column);
    void append(const Cell &cell);
    // Gives back the spare capacity once every row is in.
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
    void appendNull();
    void markNotNull();
    void widenToReal();
    void widenToText();
    void appendText(const char *data, qsizetype length);

    Storage m_storage = Storage::Integer;
    qsizetype m_rows = 0;
    std::vector<qint64> m_integers;
    std::vector<double> m_reals;
    std::vector<char> m_text;
    std::vector<quint32> m_offsets{0};
    std::vector<std::uint64_t> m_nulls;
    bool m_hasBlobs = false;
};
