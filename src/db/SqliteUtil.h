#pragma once

#include "FieldType.h"

#include <QString>
#include <sqlite3.h>

// Small RAII helpers over the SQLite C interface; errors raise EDBEngineError with SQLite's text.

QString sqliteQuote(const QString &name); // "name" with inner quotes doubled

class SqliteConnection {
public:
    SqliteConnection(const QString &path, int flags);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection &) = delete;
    SqliteConnection &operator=(const SqliteConnection &) = delete;
    bool ok() const { return m_db != nullptr; }
    QString error() const { return m_error; }
    sqlite3 *handle() const { return m_db; }
    void exec(const QString &sql);

private:
    sqlite3 *m_db = nullptr;
    QString m_error;
};

class SqliteStatement {
public:
    SqliteStatement(sqlite3 *db, const QString &sql);
    SqliteStatement(const SqliteConnection &db, const QString &sql) : SqliteStatement(db.handle(), sql) {}
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // True while a row is ready; false at the end.
    bool step();
    void reset();
    void bind(int index, const Cell &cell);
    QString text(int column) const;
    qint64 int64(int column) const;
    // The column's value as a cell, reusing the cell's buffer.
    void cell(int column, Cell &out) const;
    sqlite3_stmt *handle() const { return m_stmt; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

[[noreturn]] void throwSqliteError(sqlite3 *db);

class ColumnStore;
// Appends the value of a result column of the row ready in the statement.
void appendColumnValue(ColumnStore &store, sqlite3_stmt *stmt, int column);
