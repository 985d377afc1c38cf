#include "DatabaseStatement.h"

#include "PolishCollation.h"
#include "RowPipe.h"
#include "SqliteUtil.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

// SQLite compares names without regard to ASCII letter case only.
QString asciiLower(const QString &s)
{
    QString out = s;
    for (QChar &c : out) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + 32);
    }
    return out;
}

QString keyOf(const QString &schema, const QString &table)
{
    return asciiLower(schema) + QLatin1Char('.') + asciiLower(table);
}

// What tells a table file's content apart: writers replace the file by a new one, so a file changed
// within the clock's resolution and to the same size is still another file.
struct Stamp {
    qint64 size = -1;
    qint64 mtimeNs = 0;
    quint64 device = 0, inode = 0;
    bool operator==(const Stamp &o) const
    {
        return size == o.size && mtimeNs == o.mtimeNs && device == o.device && inode == o.inode;
    }
};

Stamp stampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {static_cast<qint64>(st.st_size), static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

bool hasExtension(const QString &name)
{
    const QString file = name.mid(name.lastIndexOf(QRegularExpression(QStringLiteral("[/\\\\]"))) + 1);
    return file.contains(QLatin1Char('.'));
}

// Where a new table of that name goes: "\" as the separator, a bare name the .db file.
QString newTablePath(const QString &name)
{
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!hasExtension(path))
        path += QStringLiteral(".db");
    return QDir::current().absoluteFilePath(path);
}

bool writtenQuoted(const QString &sql, const QString &name)
{
    for (const QString &form : {QLatin1Char('"') + name + QLatin1Char('"'), QLatin1Char('[') + name + QLatin1Char(']'),
                                QLatin1Char('`') + name + QLatin1Char('`'), QLatin1Char('\'') + name + QLatin1Char('\'')}) {
        if (sql.contains(form, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// The sizes a new table file needs for the values: text lengths, the places of floats.
std::vector<FieldDef> fitFields(std::vector<FieldDef> fields, const std::vector<Row> &rows)
{
    for (size_t f = 0; f < fields.size(); ++f) {
        FieldDef &def = fields[f];
        if (def.type == FieldType::ftUnknown) {
            // Columns without a declared type take the type of their values.
            bool allInt = true, allNumber = true, any = false;
            for (const Row &row : rows) {
                const Cell &c = row[f];
                if (c.isNull())
                    continue;
                any = true;
                allInt = allInt && c.kind == Cell::Integer;
                allNumber = allNumber && (c.kind == Cell::Integer || c.kind == Cell::Real);
            }
            def.type = !any ? FieldType::ftString : allInt ? FieldType::ftLargeint : allNumber ? FieldType::ftFloat
                                                                                                : FieldType::ftString;
            def.size = 0;
        }
        if (def.type == FieldType::ftString && def.size == 0) {
            int longest = rows.empty() ? 254 : 1;
            for (const Row &row : rows)
                longest = std::max<int>(longest, static_cast<int>(QString::fromUtf8(row[f].bytes).size()));
            def.size = longest;
        }
    }
    return fields;
}

} // namespace

struct Database::Import {
    QString schema;
    QString table;
    QString writtenName;
    QString path;
    Stamp stamp;
    qint64 maxRowid = 0;
    std::unique_ptr<TableFile> file;
};

struct Database::Access {
    bool createsFromQuery = false; // CREATE TABLE ... AS SELECT
    std::set<QString> reads;
    std::set<QString> writes;
    std::vector<QString> creates;
    std::vector<QString> drops;
};

int authorize(void *self, int action, const char *a3, const char *a4, const char *db, const char *)
{
    auto *d = static_cast<Database *>(self);
    if (d->m_internal)
        return SQLITE_OK;
    const auto tracked = [&](const char *schema, const char *table) -> QString {
        if (!schema || !table)
            return {};
        const QString key = keyOf(QString::fromUtf8(schema), QString::fromUtf8(table));
        return d->m_imports.count(key) ? key : QString();
    };
    Database::Access *access = d->m_collecting;
    switch (action) {
    case SQLITE_READ:
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE: {
        const QString key = tracked(db, a3);
        if (key.isEmpty())
            return SQLITE_OK;
        if (action == SQLITE_DELETE && key == d->m_dropping) {
            // DROP TABLE asks about deleting the table's rows right after the drop itself.
            d->m_dropping.clear();
            return SQLITE_OK;
        }
        if (access) {
            access->reads.insert(key);
            if (action != SQLITE_READ)
                access->writes.insert(key);
        }
        // Deleting row by row keeps the update hook informed (no truncate shortcut).
        return action == SQLITE_DELETE ? SQLITE_IGNORE : SQLITE_OK;
    }
    case SQLITE_CREATE_TABLE:
        if (access && a3)
            access->creates.push_back(QString::fromUtf8(a3));
        return SQLITE_OK;
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_TABLE: {
        const QString key = tracked(db, a3);
        d->m_dropping = key;
        if (access && !key.isEmpty())
            access->drops.push_back(key);
        return SQLITE_OK;
    }
    case SQLITE_ALTER_TABLE:
        return tracked(a3, a4).isEmpty() ? SQLITE_OK : SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

void onUpdate(void *self, int op, const char *db, const char *table, long long rowid)
{
    auto *d = static_cast<Database *>(self);
    if (!d->m_changes || d->m_internal)
        return;
    const QString key = keyOf(QString::fromUtf8(db), QString::fromUtf8(table));
    if (d->m_imports.count(key))
        (*d->m_changes)[key].emplace(rowid, op);
}

Database::Database()
{
    // One thread uses the engine: no mutexes.
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK)
        throw EDBEngineError(QStringLiteral("The database engine can't start: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
    sqlite3_extended_result_codes(m_db, 0);
    internal(QStringLiteral("PRAGMA temp_store = MEMORY"));
    registerPolishCollation(m_db);
    sqlite3_set_authorizer(m_db, authorize, this);
    sqlite3_update_hook(m_db, onUpdate, this);
}

// Marks the engine's own statements for the authorizer and the update hook while it lives.
class Database::InternalWork {
public:
    explicit InternalWork(Database &database) : m_database(database), m_was(database.m_internal)
    {
        m_database.m_internal = true;
    }
    ~InternalWork() { m_database.m_internal = m_was; }
    InternalWork(const InternalWork &) = delete;
    InternalWork &operator=(const InternalWork &) = delete;

private:
    Database &m_database;
    bool m_was;
};

Database::~Database()
{
    sqlite3_set_authorizer(m_db, nullptr, nullptr);
    sqlite3_update_hook(m_db, nullptr, nullptr);
    sqlite3_close_v2(m_db);
}

void Database::internal(const QString &sql)
{
    int rc;
    {
        InternalWork work(*this);
        rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK)
        throwSqliteError(m_db);
}

QString Database::tableFilePath(const QString &name)
{
    if (name.trimmed().isEmpty())
        return {};
    const QString written = hasExtension(name) ? name : name + QStringLiteral(".db");
    const auto found = paths::findExisting(QDir::current().absoluteFilePath(QString(written).replace(QLatin1Char('\\'), QLatin1Char('/'))));
    const auto direct = found ? found : paths::findExisting(written);
    if (!direct || !QFileInfo(*direct).isFile())
        return {};
    // A name with an extension other than .dbf or .db must hold a table to count as one.
    const QString suffix = QFileInfo(*direct).suffix().toLower();
    if (suffix != QLatin1String("dbf") && suffix != QLatin1String("db") && !TableFile::looksLikeTable(*direct))
        return {};
    return QFileInfo(*direct).absoluteFilePath();
}

Database::Import *Database::findImport(const QString &schema, const QString &table)
{
    const auto it = m_imports.find(keyOf(schema, table));
    return it == m_imports.end() ? nullptr : it->second.get();
}

void Database::importInto(const QString &schema, const QString &table, const QString &path)
{
    auto import = std::make_unique<Import>();
    import->schema = schema;
    import->table = table;
    import->path = path;
    import->stamp = stampOf(path);
    import->file = TableFile::open(path);
    const std::vector<FieldDef> fields = import->file->fields();

    InternalWork work(*this);
    const QString target = schema == QLatin1String("temp") ? sqliteQuote(table) : sqliteQuote(schema) + QLatin1Char('.') + sqliteQuote(table);
    {
        if (schema != QLatin1String("temp")) {
            SqliteStatement list(m_db, QStringLiteral("PRAGMA database_list"));
            bool attached = false;
            while (list.step())
                attached = attached || asciiLower(list.text(1)) == asciiLower(schema);
            if (!attached)
                internal(QStringLiteral("ATTACH DATABASE ':memory:' AS %1").arg(sqliteQuote(schema)));
        }
        QStringList columns, names, quoted{QStringLiteral("rowid")}, marks{QStringLiteral("?")};
        for (const FieldDef &f : fields) {
            QString name = f.name;
            for (int n = 1; names.contains(name, Qt::CaseInsensitive); ++n)
                name = f.name + QLatin1Char('_') + QString::number(n);
            names.append(name);
            quoted.append(sqliteQuote(name));
            // Texts of table files sort, group and compare in the Polish order.
            columns.append(sqliteQuote(name) + QLatin1Char(' ') + declaredTypeFor(f) + collationFor(f));
            marks.append(QStringLiteral("?"));
        }
        internal(QStringLiteral("CREATE %1TABLE %2 (%3)")
                     .arg(schema == QLatin1String("temp") ? QStringLiteral("TEMP ") : QString(), target, columns.join(',')));
        internal(QStringLiteral("SAVEPOINT kw_import"));
        try {
            SqliteStatement insert(m_db, QStringLiteral("INSERT INTO %1(%2) VALUES(%3)").arg(target, quoted.join(','), marks.join(',')));
            qint64 maxRowid = 0, records = 0;
            const QString task = QStringLiteral("Wczytywanie tabeli %1").arg(QFileInfo(path).fileName());
            const qint64 total = import->file->recordCountHint();
            readTableFileInParallel(*import->file, [&](qint64 recNo, const Row &row) {
                reportProgress(task, ++records, total);
                sqlite3_reset(insert.handle());
                insert.bind(1, Cell::integer(recNo + 1));
                for (size_t i = 0; i < row.size(); ++i)
                    insert.bind(static_cast<int>(i) + 2, row[i]);
                insert.step();
                maxRowid = std::max(maxRowid, recNo + 1);
            });
            import->maxRowid = maxRowid;
            internal(QStringLiteral("RELEASE kw_import"));
        } catch (...) {
            internal(QStringLiteral("ROLLBACK TO kw_import"));
            internal(QStringLiteral("RELEASE kw_import"));
            internal(QStringLiteral("DROP TABLE %1").arg(target));
            throw;
        }
    }
    m_imports[keyOf(schema, table)] = std::move(import);
}

bool Database::importTable(const QString &name, const QString &sql)
{
    const QString path = tableFilePath(name);
    if (path.isEmpty())
        return false;
    // An unquoted klienci.dbf is the table dbf of a database klienci to SQLite.
    const int dot = static_cast<int>(name.indexOf(QLatin1Char('.')));
    const bool schemaForm = dot > 0 && name.count(QLatin1Char('.')) == 1 && !name.contains(QLatin1Char('/'))
        && !name.contains(QLatin1Char('\\'))
        && (!writtenQuoted(sql, name) || findImport(QStringLiteral("temp"), name));
    const QString schema = schemaForm ? name.left(dot) : QStringLiteral("temp");
    const QString table = schemaForm ? name.mid(dot + 1) : name;
    if (findImport(schema, table))
        return false;
    importInto(schema, table, path);
    findImport(schema, table)->writtenName = name;
    return true;
}

void Database::dropImport(const QString &key)
{
    const auto it = m_imports.find(key);
    if (it == m_imports.end())
        return;
    const Import &import = *it->second;
    const QString target = sqliteQuote(import.schema) + QLatin1Char('.') + sqliteQuote(import.table);
    m_imports.erase(it);
    ++m_generation;
    internal(QStringLiteral("DROP TABLE IF EXISTS %1").arg(target));
}

void Database::forgetImports()
{
    while (!m_imports.empty())
        dropImport(m_imports.begin()->first);
}

bool Database::refreshStale(const Access &access)
{
    bool stale = false;
    for (const QString &key : access.reads) {
        const auto it = m_imports.find(key);
        if (it == m_imports.end())
            continue;
        const Import &import = *it->second;
        if (tableFilePath(import.writtenName) != import.path || !(stampOf(import.path) == import.stamp)) {
            dropImport(key);
            stale = true;
        }
    }
    return stale;
}

Database::Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

int Database::Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

void Database::Statement::throwError() const
{
    throwSqliteError(sqlite3_db_handle(m_stmt));
}

std::unique_ptr<Database::Statement> Database::prepare(const QString &sql)
{
    const QByteArray utf8 = sql.toUtf8();
    // DROP TABLE IF EXISTS names no table SQLite could report missing: bring the file in first.
    static const QRegularExpression dropIfExists(
        QStringLiteral("DROP\\s+TABLE\\s+IF\\s+EXISTS\\s+(?:\"([^\"]+)\"|\\[([^\\]]+)\\]|`([^`]+)`|([^\\s;]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch drop = dropIfExists.match(sql);
    if (drop.hasMatch()) {
        const QString name = drop.captured(1) + drop.captured(2) + drop.captured(3) + drop.captured(4);
        if (!findImport(QStringLiteral("temp"), name))
            importTable(name, QLatin1Char('"') + name + QLatin1Char('"'));
    }

    std::set<QString> tried;
    int refreshes = 0;
    std::vector<TableLock> locks;
    for (;;) {
        auto statement = std::unique_ptr<Statement>(new Statement);
        statement->m_access = std::make_unique<Access>();
        const char *tail = nullptr;
        m_collecting = statement->m_access.get();
        const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), static_cast<int>(utf8.size()), &statement->m_stmt, &tail);
        m_collecting = nullptr;
        if (rc != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
            static const QString noSuchTable = QStringLiteral("no such table: ");
            if (message.startsWith(noSuchTable)) {
                const QString name = message.mid(noSuchTable.size());
                if (tried.insert(name).second && importTable(name, sql))
                    continue;
            }
            throw EDBEngineError(message);
        }
        if (!statement->m_stmt)
            throw EDBEngineError(QStringLiteral("The SQL text holds no statement"));
        // A statement that changes table files holds their locks from here until it has run; a file
        // that another writer changed since it was read is read again under the lock.
        lockChangedTables(*statement->m_access, locks);
        if (refreshes < 3 && refreshStale(*statement->m_access)) {
            ++refreshes;
            tried.clear();
            continue;
        }
        // One statement at a time: anything after it other than blanks and comments is refused.
        if (tail && *tail) {
            sqlite3_stmt *next = nullptr;
            int nextRc;
            {
                InternalWork work(*this);
                nextRc = sqlite3_prepare_v2(m_db, tail, -1, &next, nullptr);
            }
            sqlite3_finalize(next);
            if (nextRc != SQLITE_OK || next)
                throw EDBEngineError(QStringLiteral("Only one SQL statement can be run at a time"));
        }
        static const QRegularExpression asQuery(QStringLiteral("\\bAS\\s*\\(?\\s*(SELECT|WITH|VALUES)\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
        statement->m_access->createsFromQuery = asQuery.match(sql).hasMatch();
        for (const QString &name : statement->m_access->creates) {
            const QString path = newTablePath(name);
            if (!QFileInfo::exists(path))
                continue;
            static const QRegularExpression ifNotExists(QStringLiteral("\\bIF\\s+NOT\\s+EXISTS\\b"),
                                                        QRegularExpression::CaseInsensitiveOption);
            if (!ifNotExists.match(sql).hasMatch())
                throw EDBEngineError(QStringLiteral("table %1 already exists").arg(name));
            statement->m_noOp = true;
        }
        statement->m_locks = std::move(locks);
        return statement;
    }
}

void Database::lockChangedTables(const Access &access, std::vector<TableLock> &locks)
{
    std::set<QString> keys = access.writes;
    keys.insert(access.drops.begin(), access.drops.end());
    for (const QString &key : keys) {
        const auto it = m_imports.find(key);
        // SQLite database files are locked by SQLite itself, which a lock of ours would block.
        if (it == m_imports.end() || it->second->file->format() == TableFile::Format::SQLite)
            continue;
        const QString &path = it->second->path;
        if (std::any_of(locks.begin(), locks.end(), [&](const TableLock &lock) { return lock.path() == path; }))
            continue;
        locks.emplace_back(path, [this, &path](int waited, int limit) {
            if (m_progress)
                m_progress({QStringLiteral("Czekanie na tabelę %1, którą zmienia inny program").arg(path), waited, limit});
        });
    }
}

void Database::writeChanges(const std::map<QString, std::map<qint64, int>> &changes)
{
    for (const auto &[key, rowids] : changes) {
        Import *import = m_imports.count(key) ? m_imports[key].get() : nullptr;
        if (!import)
            continue;
        const QString target = sqliteQuote(import->schema) + QLatin1Char('.') + sqliteQuote(import->table);
        std::vector<RecordChange> fileChanges;
        {
            InternalWork work(*this);
            SqliteStatement select(m_db, QStringLiteral("SELECT * FROM %1 WHERE rowid=?").arg(target));
            const int columns = sqlite3_column_count(select.handle());
            for (const auto &entry : rowids) {
                const qint64 rowid = entry.first;
                select.reset();
                select.bind(1, Cell::integer(rowid));
                RecordChange change;
                change.recNo = rowid - 1;
                const bool exists = select.step();
                if (exists) {
                    change.row.resize(static_cast<size_t>(columns));
                    for (int c = 0; c < columns; ++c)
                        select.cell(c, change.row[static_cast<size_t>(c)]);
                }
                if (rowid <= import->maxRowid)
                    change.kind = exists ? RecordChange::Update : RecordChange::Delete;
                else if (exists)
                    change.kind = RecordChange::Insert;
                else
                    continue;
                fileChanges.push_back(std::move(change));
            }
        }
        if (fileChanges.empty())
            continue;
        import->file->apply(fileChanges);
        // Record numbers moved: the next reference reads the file again.
        import->stamp = Stamp{};
    }
}

void Database::createTableFiles(const Access &access)
{
    for (const QString &name : access.creates) {
        std::vector<FieldDef> fields;
        std::vector<Row> rows;
        {
            InternalWork work(*this);
            SqliteStatement info(m_db, QStringLiteral("PRAGMA main.table_info(%1)").arg(sqliteQuote(name)));
            while (info.step()) {
                const QString declared = info.text(2);
                FieldDef f = fieldFromDeclaredType(declared);
                f.name = info.text(1);
                // A column declared TEXT without a length holds text of any length: a memo.
                static const QRegularExpression unbounded(QStringLiteral("^\\s*(TEXT|CLOB|LONG\\s+VARCHAR)\\s*$"),
                                                          QRegularExpression::CaseInsensitiveOption);
                if (!access.createsFromQuery && unbounded.match(declared).hasMatch())
                    f.type = FieldType::ftMemo;
                fields.push_back(f);
            }
            SqliteStatement select(m_db, QStringLiteral("SELECT * FROM main.%1").arg(sqliteQuote(name)));
            while (select.step()) {
                Row row(fields.size());
                for (size_t c = 0; c < fields.size(); ++c)
                    select.cell(static_cast<int>(c), row[c]);
                rows.push_back(std::move(row));
            }
        }
        size_t next = 0;
        TableFile::create(newTablePath(name), fitFields(fields, rows), [&](Row &row) {
            if (next >= rows.size())
                return false;
            row = rows[next++];
            return true;
        });
        internal(QStringLiteral("DROP TABLE main.%1").arg(sqliteQuote(name)));
    }
}

void Database::dropTableFiles(const Access &access)
{
    for (const QString &key : access.drops) {
        const auto it = m_imports.find(key);
        if (it == m_imports.end())
            continue;
        const QString path = it->second->path;
        m_imports.erase(it);
        TableFile::drop(path);
    }
}

void Database::run(Statement &statement, const std::function<void()> &onRow)
{
    if (statement.m_noOp)
        return;
    std::map<QString, std::map<qint64, int>> changes;
    internal(QStringLiteral("SAVEPOINT kw_statement"));
    m_changes = &changes;
    try {
        for (;;) {
            const int rc = sqlite3_step(statement.m_stmt);
            if (rc == SQLITE_DONE)
                break;
            if (rc != SQLITE_ROW)
                throwSqliteError(m_db);
            if (onRow)
                onRow();
        }
        m_changes = nullptr;
        sqlite3_reset(statement.m_stmt);
        if (!sqlite3_stmt_readonly(statement.m_stmt))
            ++m_generation;
        writeChanges(changes);
        createTableFiles(*statement.m_access);
        dropTableFiles(*statement.m_access);
        internal(QStringLiteral("RELEASE kw_statement"));
    } catch (...) {
        m_changes = nullptr;
        sqlite3_reset(statement.m_stmt);
        internal(QStringLiteral("ROLLBACK TO kw_statement"));
        internal(QStringLiteral("RELEASE kw_statement"));
        throw;
    }
}

void Database::execute(const QString &sql)
{
    const std::unique_ptr<Statement> statement = prepare(sql);
    run(*statement);
}
