#pragma once

#include "Database.h"

#include <sqlite3.h>

// A statement prepared by the engine, with the table files it reads and changes. Only the engine's
// own code (data sets, queries) reaches SQLite through it.
class Database::Statement {
public:
    ~Statement();
    sqlite3_stmt *handle() const { return m_stmt; }
    // The number of result columns; 0 for statements that return no rows.
    int columnCount() const;
    // EDBEngineError with SQLite's message of the statement's last failure.
    [[noreturn]] void throwError() const;

private:
    friend class Database;
    Statement() = default;
    sqlite3_stmt *m_stmt = nullptr;
    std::unique_ptr<Access> m_access;
    std::vector<TableLock> m_locks; // of the table files it changes, until it is done
    bool m_noOp = false;
};
