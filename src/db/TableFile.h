#pragma once

#include "FieldType.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// An index of a table file: its name (empty for a Paradox primary key) and its fields.
struct IndexDef {
    QString name;
    QStringList fields;
    bool primary = false;
};

// A change to one record of a table file. Record numbers count every record the file holds, from 0;
// an inserted record gets the next free number.
struct RecordChange {
    enum Kind { Insert, Update, Delete };
    Kind kind = Update;
    qint64 recNo = -1;
    Row row; // the whole new record for Insert and Update
};

// A dBASE, Paradox or SQLite table held in a file, as the engine reads and changes it.
//
// Every failure raises EDBEngineError with a text that names the file and the problem; a failed
// change leaves the file as it was: changes are made to a copy that then replaces the file.
class TableFile {
public:
    enum class Format { DBase, Paradox, SQLite };

    virtual ~TableFile() = default;

    // Opens the table the file holds, its kind told by its content and extension.
    static std::unique_ptr<TableFile> open(const QString &path);
    // Whether the file holds a table this engine reads.
    static bool looksLikeTable(const QString &path);
    // The kind a new table of that name gets: ".dbf" dBASE, anything else Paradox.
    static Format formatForNewTable(const QString &path);
    // Makes a new table file of that kind, replacing one of the same name; rows() gives the
    // records one by one and returns false after the last one.
    static void create(const QString &path, const std::vector<FieldDef> &fields,
                       const std::function<bool(Row &)> &rows);
    // Removes the table's file and the files that belong to it (memos, indexes).
    static void drop(const QString &path);

    virtual Format format() const = 0;
    const QString &path() const { return m_path; }
    virtual std::vector<FieldDef> fields() const = 0;
    // Every live record in file order with its record number; deleted records are passed over.
    virtual void read(const std::function<void(qint64 recNo, const Row &row)> &sink) const = 0;
    // Writes the changes into a copy of the file that then replaces it. Values of a changed record
    // that equal what the file holds keep their stored bytes.
    virtual void apply(const std::vector<RecordChange> &changes) = 0;
    virtual std::vector<IndexDef> indexes() const { return {}; }
    // The number of records read() will pass, when the file's header tells it; -1 otherwise.
    virtual qint64 recordCountHint() const { return -1; }

protected:
    explicit TableFile(QString path) : m_path(std::move(path)) {}

private:
    QString m_path;
};

// EDBEngineError for a problem with a table file: the problem, a line break and the file.
[[noreturn]] void throwTableError(const QString &problem, const QString &path);
// EDBEngineError "The memo file X is missing." when the table's memo file does not exist.
void requireMemoFile(const QString &memoPath, const QString &tablePath);

// Whether a new value equals the one a record holds, so that its stored bytes can stay: numbers by
// value, texts and blobs byte for byte, null only equal to null.
bool sameValue(const Cell &a, const Cell &b);

// The field definitions of a table's stored columns, in order.
template <class Column>
std::vector<FieldDef> definitionsOf(const std::vector<Column> &columns)
{
    std::vector<FieldDef> defs;
    defs.reserve(columns.size());
    for (const Column &c : columns)
        defs.push_back(c.def);
    return defs;
}
