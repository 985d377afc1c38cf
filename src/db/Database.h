#pragma once

#include "FieldType.h"
#include "TableFile.h"
#include "TableLock.h"
#include "platform/Progress.h"

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <map>
#include <set>
#include <vector>

struct sqlite3;

// The database engine: SQLite in memory, with the dBASE, Paradox and SQLite table files that SQL
// text names brought in on first reference and changes to them written back to the files.
//
// A name that SQLite does not know is looked for as a file, relative to the working folder: a
// name with an extension as written ("klienci.dbf", "/dane/faktury.db", "wynik.xyz"), a bare name
// as the .db file of that name. The file is imported into a TEMP table under exactly that name and
// kept until the file's size or modification time changes. INSERT, UPDATE and DELETE on such a
// table reach the file, CREATE TABLE makes a new file (".dbf" dBASE, anything else Paradox, a bare
// name the .db file) and DROP TABLE deletes one. A statement that fails changes nothing.
class Database {
public:
    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // A prepared statement; the engine's own code reads its rows (DatabaseStatement.h).
    class Statement;
    // Prepares one statement, bringing in the table files it names. EDBEngineError carries
    // SQLite's message, or the table file's problem.
    std::unique_ptr<Statement> prepare(const QString &sql);
    // Runs a prepared statement to its end, calling onRow while each row it returns is ready, and
    // writes the changes it made to table files. When anything fails, nothing is changed.
    void run(Statement &statement, const std::function<void()> &onRow = {});
    // Prepares and runs a statement that needs no parameters.
    void execute(const QString &sql);

    // The file a table name in SQL text stands for; empty when it names no table file.
    static QString tableFilePath(const QString &name);
    // Forgets every imported table, so that the next reference reads its file again.
    void forgetImports();
    // Told how far importing a table file and reading a result got; it may call them off.
    void setProgressListener(ProgressListener listener) { m_progress = std::move(listener); }
    // Tells the listener, every kProgressInterval units, how far the task got.
    void reportProgress(const QString &task, qint64 done, qint64 total) const
    {
        if (m_progress && done % kProgressInterval == 0)
            m_progress({task, done, total});
    }
    // Changes whenever a statement, a table file or an import may have changed what a query returns.
    quint64 generation() const { return m_generation; }

private:
    struct Import;
    struct Target;
    struct Access;
    friend int authorize(void *, int, const char *, const char *, const char *, const char *);
    friend void onUpdate(void *, int, const char *, const char *, long long);

    bool importTable(const QString &name, const QString &sql);
    void importInto(const QString &schema, const QString &table, const QString &path);
    void dropImport(const QString &key);
    bool refreshStale(const Access &access);
    void lockChangedTables(const Access &access, std::vector<TableLock> &locks);
    void writeChanges(const std::map<QString, std::map<qint64, int>> &changes);
    void createTableFiles(const Access &access);
    void dropTableFiles(const Access &access);
    Import *findImport(const QString &schema, const QString &table);
    void internal(const QString &sql);

    sqlite3 *m_db = nullptr;
    // Imports by "schema.table" in lower case.
    std::map<QString, std::unique_ptr<Import>> m_imports;
    Access *m_collecting = nullptr; // filled by the authorizer while preparing
    std::map<QString, std::map<qint64, int>> *m_changes = nullptr; // filled by the update hook
    // Set while the engine runs statements of its own, which the authorizer and the update hook
    // let through; see InternalWork.
    bool m_internal = false;
    class InternalWork;
    QString m_dropping; // the table whose DROP TABLE is being prepared
    quint64 m_generation = 0;
    ProgressListener m_progress;
};
