#pragma once

#include "db/Database.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QStringList>

namespace testsupport {

// The message of the engine's error that a statement (every value of it read) raises on db; empty
// when it runs.
QString engineError(Database &db, const QString &sql);
// A table file refused: the message begins as expected and names the file.
void expectRefusal(const QString &message, const QString &file, const char *beginning);

// A temporary working folder with the dBASE fixtures written by python3-dbf.
class DbTest : public FolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Every row of a statement, each value as text ("NULL" for null).
    std::vector<QStringList> rows(const QString &sql);
    // Column declared types of a statement.
    QStringList declaredTypes(const QString &sql);
    // Rows as pxcheck.py (an independent Paradox reader) prints them.
    QString pxcheck(const QString &table, const QString &memo = QString(), int rowsToPrint = 1000);
    // Python expression over python3-dbf's reading of a table, printed.
    QString pydbf(const QString &table, const QString &expression);

    std::unique_ptr<Database> db;
};

} // namespace testsupport
