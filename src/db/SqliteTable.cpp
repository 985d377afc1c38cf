#include "SqliteTable.h"

#include "SqliteUtil.h"
#include "platform/Errors.h"

#include <QFile>
#include <QFileInfo>

SqliteTable::SqliteTable(const QString &path) : TableFile(path)
{
    SqliteConnection db(path, SQLITE_OPEN_READONLY);
    if (!db.ok())
        throwTableError(QStringLiteral("The SQLite database can't be opened: %1").arg(db.error()), path);
    QStringList tables;
    try {
        SqliteStatement list(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'"));
        while (list.step())
            tables.append(list.text(0));
    } catch (const Exception &e) {
        throwTableError(e.message(), path);
    }
    const QString base = QFileInfo(path).completeBaseName();
    for (const QString &t : tables) {
        if (t.compare(base, Qt::CaseInsensitive) == 0)
            m_table = t;
    }
    if (m_table.isEmpty() && tables.size() == 1)
        m_table = tables.first();
    if (m_table.isEmpty())
        throwTableError(QStringLiteral("The SQLite database holds no table named %1 and not exactly one table.").arg(base),
                        path);
    SqliteStatement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(sqliteQuote(m_table)));
    while (info.step()) {
        m_columns.append(info.text(1));
        FieldDef f = fieldFromDeclaredType(info.text(2));
        f.name = info.text(1);
        if (f.type == FieldType::ftUnknown)
            f.type = FieldType::ftString;
        m_fields.push_back(f);
    }
}

bool SqliteTable::looksLikeSqlite(const QByteArray &header)
{
    return header.startsWith(QByteArrayLiteral("SQLite format 3\0"));
}

void SqliteTable::read(const std::function<void(qint64, const Row &)> &sink) const
{
    SqliteConnection db(path(), SQLITE_OPEN_READONLY);
    if (!db.ok())
        throwTableError(QStringLiteral("The SQLite database can't be opened: %1").arg(db.error()), path());
    try {
        SqliteStatement select(db, QStringLiteral("SELECT rowid, * FROM %1").arg(sqliteQuote(m_table)));
        Row row(m_fields.size());
        while (select.step()) {
            for (size_t i = 0; i < m_fields.size(); ++i)
                select.cell(static_cast<int>(i) + 1, row[i]);
            sink(select.int64(0) - 1, row);
        }
    } catch (const Exception &e) {
        throwTableError(e.message(), path());
    }
}

void SqliteTable::apply(const std::vector<RecordChange> &changes)
{
    SqliteConnection db(path(), SQLITE_OPEN_READWRITE);
    if (!db.ok())
        throwTableError(QStringLiteral("The SQLite database can't be opened for writing: %1").arg(db.error()), path());
    QStringList quoted, marks, sets;
    for (const QString &c : m_columns) {
        quoted.append(sqliteQuote(c));
        marks.append(QStringLiteral("?"));
        sets.append(sqliteQuote(c) + QStringLiteral("=?"));
    }
    const QString table = sqliteQuote(m_table);
    try {
        db.exec(QStringLiteral("BEGIN IMMEDIATE"));
        SqliteStatement insert(db, QStringLiteral("INSERT INTO %1(%2) VALUES(%3)").arg(table, quoted.join(','), marks.join(',')));
        SqliteStatement update(db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(table, sets.join(',')));
        SqliteStatement remove(db, QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(table));
        for (const RecordChange &change : changes) {
            SqliteStatement &s = change.kind == RecordChange::Insert ? insert
                : change.kind == RecordChange::Update                ? update
                                                                     : remove;
            s.reset();
            int n = 0;
            if (change.kind != RecordChange::Delete) {
                for (const Cell &cell : change.row)
                    s.bind(++n, cell);
            }
            if (change.kind != RecordChange::Insert)
                s.bind(++n, Cell::integer(change.recNo + 1));
            s.step();
        }
        db.exec(QStringLiteral("COMMIT"));
    } catch (const Exception &e) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throwTableError(e.message(), path());
    }
}

std::vector<IndexDef> SqliteTable::indexes() const
{
    std::vector<IndexDef> result;
    SqliteConnection db(path(), SQLITE_OPEN_READONLY);
    if (!db.ok())
        return result;
    SqliteStatement list(db, QStringLiteral("PRAGMA index_list(%1)").arg(sqliteQuote(m_table)));
    while (list.step()) {
        IndexDef index;
        index.name = list.text(1);
        index.primary = list.text(3) == QLatin1String("pk");
        SqliteStatement info(db, QStringLiteral("PRAGMA index_info(%1)").arg(sqliteQuote(index.name)));
        while (info.step())
            index.fields.append(info.text(2));
        result.push_back(index);
    }
    return result;
}
