#pragma once

#include "FuzzSupport.h"
#include "db/Database.h"
#include "db/DatabaseStatement.h"
#include "platform/Errors.h"

#include <sqlite3.h>

namespace fuzz {

// Reads every value of a table through the engine, then writes its first column back to itself
// (a change that goes through the memo file when that column is a memo).
inline void readAndUpdate(const QString &name)
{
    const QString table = path(name);
    Database database;
    try {
        const auto select = database.prepare(QStringLiteral("SELECT * FROM \"%1\"").arg(table));
        const int columns = select->columnCount();
        QString first;
        database.run(*select, [&] {
            for (int c = 0; c < columns; ++c)
                (void)sqlite3_column_text(select->handle(), c);
        });
        first = QString::fromUtf8(sqlite3_column_name(select->handle(), 0));
        database.execute(QStringLiteral("UPDATE \"%1\" SET \"%2\" = \"%2\"").arg(table, first));
    } catch (const Exception &) {
    }
}

} // namespace fuzz
