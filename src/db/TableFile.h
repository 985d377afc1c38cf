#pragma once

#include "FieldType.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
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

// The values a field of a new table is to hold: at(record) for records 0 to count - 1.
struct FieldValues {
    qint64 count = 0;
    std::function<Cell(qint64 record)> at;
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
    // A field of a new table of that name fitted to the values it is to hold: a text as long as
    // the longest, a number in the width or type its kind needs for them. A value the kind can't
    // hold is refused before anything is written (EDatabaseError naming the field, the record and
    // the table, in Polish).
    static FieldDef fitField(const QString &path, const FieldDef &field, const FieldValues &values);
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

// EDatabaseError for a value of a new table's field that the table can't hold: the field, the
// record (from 0, shown from 1) and the problem, a line break and the table, in Polish.
[[noreturn]] void refuseValue(const QString &path, const FieldDef &field, qint64 record, const QString &problem);

// A value for a number field: integers and floats as they are, a text holding a number as that
// number (an integer exactly); nothing for any other text or a blob.
std::optional<Cell> numberOf(const Cell &cell);
// The number of a new table's field at a record: nothing for null, a refusal naming field and
// record for a value that is no number.
std::optional<Cell> numberToStore(const QString &path, const FieldDef &field, const FieldValues &values, qint64 record);

// A file's new content written in full under a temporary name beside it, which replaces the file
// only on commit(); dropped uncommitted, it leaves the file as it was. A table and its memo file
// are both staged before either is committed, so that a failed write (a full disk) changes
// neither. Failures raise EDBEngineError naming the table and the system's reason.
class StagedFile {
public:
    StagedFile(const QString &path, const QByteArray &bytes, const QString &tablePath);
    ~StagedFile();
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;
    void commit();

private:
    [[noreturn]] void fail(const QString &reason) const;

    QString m_path;
    QString m_temporary;
    QString m_tablePath;
};

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
