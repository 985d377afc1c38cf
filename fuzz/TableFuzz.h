#pragma once

#include "FuzzSupport.h"
#include "db/Database.h"
#include "db/DatabaseStatement.h"
#include "platform/Errors.h"

#include <sqlite3.h>

namespace fuzz {

// Reads every value of a table through the engine, then changes the texts of its first columns
// one column at a time (a change of a memo goes through the memo file), adds a copy of its first
// record and deletes that record.
inline void readAndUpdate(const QString &name)
{
    const QString table = path(name);
    Database database;
    QStringList columns;
    try {
        const auto select = database.prepare(QStringLiteral("SELECT * FROM \"%1\"").arg(table));
        const int count = select->columnCount();
        for (int c = 0; c < count && c < 4; ++c)
            columns.append(QString::fromUtf8(sqlite3_column_name(select->handle(), c)));
        database.run(*select, [&] {
            for (int c = 0; c < count; ++c)
                (void)sqlite3_column_text(select->handle(), c);
        });
    } catch (const Exception &) {
        return;
    }
    QStringList changes;
    for (const QString &column : columns)
        changes.append(QStringLiteral("UPDATE \"%1\" SET \"%2\" = CASE WHEN typeof(\"%2\") = 'text' "
                                      "THEN substr(\"%2\", 2) || 'ż' ELSE \"%2\" END")
                           .arg(table, column));
    changes.append(QStringLiteral("INSERT INTO \"%1\" SELECT * FROM \"%1\" LIMIT 1").arg(table));
    changes.append(QStringLiteral("DELETE FROM \"%1\" WHERE rowid = (SELECT MIN(rowid) FROM \"%1\")").arg(table));
    for (const QString &change : changes) {
        try {
            database.execute(change);
        } catch (const Exception &) {
        }
    }
}

} // namespace fuzz
