#include "SqliteUtil.h"

#include "ColumnStore.h"

#include "platform/Errors.h"

#include <QFile>

QString sqliteQuote(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void throwSqliteError(sqlite3 *db)
{
    throw EDBEngineError(QString::fromUtf8(sqlite3_errmsg(db)));
}

SqliteConnection::SqliteConnection(const QString &path, int flags)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

SqliteConnection::~SqliteConnection()
{
    sqlite3_close(m_db);
}

void SqliteConnection::exec(const QString &sql)
{
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throwSqliteError(m_db);
}

SqliteStatement::SqliteStatement(sqlite3 *db, const QString &sql) : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
        throwSqliteError(db);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throwSqliteError(m_db);
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void SqliteStatement::bind(int index, const Cell &cell)
{
    int rc = SQLITE_OK;
    switch (cell.kind) {
    case Cell::Null: rc = sqlite3_bind_null(m_stmt, index); break;
    case Cell::Integer: rc = sqlite3_bind_int64(m_stmt, index, cell.i); break;
    case Cell::Real: rc = sqlite3_bind_double(m_stmt, index, cell.r); break;
    case Cell::Text:
        rc = sqlite3_bind_text(m_stmt, index, cell.bytes.constData(), static_cast<int>(cell.bytes.size()), SQLITE_STATIC);
        break;
    case Cell::Blob:
        rc = sqlite3_bind_blob(m_stmt, index, cell.bytes.constData(), static_cast<int>(cell.bytes.size()), SQLITE_STATIC);
        break;
    }
    if (rc != SQLITE_OK)
        throwSqliteError(m_db);
}

QString SqliteStatement::text(int column) const
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)),
                             sqlite3_column_bytes(m_stmt, column));
}

qint64 SqliteStatement::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

void SqliteStatement::cell(int column, Cell &out) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        out.kind = Cell::Integer;
        out.i = sqlite3_column_int64(m_stmt, column);
        break;
    case SQLITE_FLOAT:
        out.kind = Cell::Real;
        out.r = sqlite3_column_double(m_stmt, column);
        break;
    case SQLITE_TEXT: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        out.kind = Cell::Text;
        out.bytes = QByteArray(p, sqlite3_column_bytes(m_stmt, column));
        break;
    }
    case SQLITE_BLOB: {
        const auto *p = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        out.kind = Cell::Blob;
        out.bytes = QByteArray(p, sqlite3_column_bytes(m_stmt, column));
        break;
    }
    default:
        out.kind = Cell::Null;
    }
}

void appendColumnValue(ColumnStore &store, sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL: store.appendNull(); break;
    case SQLITE_INTEGER: store.appendInteger(sqlite3_column_int64(stmt, column)); break;
    case SQLITE_FLOAT: store.appendReal(sqlite3_column_double(stmt, column)); break;
    case SQLITE_BLOB:
        store.appendText(static_cast<const char *>(sqlite3_column_blob(stmt, column)), sqlite3_column_bytes(stmt, column),
                         true);
        break;
    default:
        store.appendText(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                         sqlite3_column_bytes(stmt, column));
        break;
    }
}
