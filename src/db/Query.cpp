#include "Query.h"

#include "DatabaseStatement.h"
#include "PolishCollation.h"
#include "SqliteUtil.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "platform/RegionalSettings.h"

#include <QRegularExpression>

// ---- SQL text ----------------------------------------------------------------------------------

QString SqlLines::text() const
{
    QString text;
    for (const QString &line : m_lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

void SqlLines::changed()
{
    if (m_updating > 0) {
        m_pending = true;
        return;
    }
    m_query.sqlChanged();
}

void SqlLines::endUpdate()
{
    if (m_updating > 0 && --m_updating == 0 && m_pending) {
        m_pending = false;
        m_query.sqlChanged();
    }
}

void SqlLines::assign(const QStringList &lines)
{
    m_lines = lines;
    changed();
}

void SqlLines::replace(int i, const QString &line)
{
    m_lines[i] = line;
    changed();
}

void SqlLines::removeAt(int i)
{
    m_lines.removeAt(i);
    changed();
}

void SqlLines::append(const QString &line)
{
    m_lines.append(line);
    changed();
}

// ---- parameters --------------------------------------------------------------------------------

QString Param::asString() const
{
    if (!m_value.isValid())
        return {};
    const RegionalSettings &rs = RegionalSettings::current();
    switch (m_value.typeId()) {
    case QMetaType::QDate: return rs.formatShortDate(m_value.toDate());
    case QMetaType::QDateTime: return rs.formatDateTime(m_value.toDateTime());
    case QMetaType::Double: return numbers::formatFloat(m_value.toDouble());
    default: return m_value.toString();
    }
}

QString parseParameters(const QString &sql, QStringList &occurrences)
{
    QString out;
    out.reserve(sql.size());
    const qsizetype n = sql.size();
    const auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        // Literals, quoted names and comments are copied as they stand.
        QChar close;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`'))
            close = c;
        else if (c == QLatin1Char('['))
            close = QLatin1Char(']');
        if (!close.isNull()) {
            qsizetype end = sql.indexOf(close, i + 1);
            end = end < 0 ? n : end + 1;
            out += sql.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            end = end < 0 ? n : end;
            out += sql.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            end = end < 0 ? n : end + 2;
            out += sql.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char(':')) {
            if (i + 1 < n && sql[i + 1] == QLatin1Char(':')) {
                out += QLatin1String("::");
                i += 2;
                continue;
            }
            qsizetype end = i + 1;
            while (end < n && isNameChar(sql[end]))
                ++end;
            if (end > i + 1) {
                occurrences.append(sql.mid(i + 1, end - i - 1));
                out += QLatin1Char('?');
                i = end;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

// ---- the query ---------------------------------------------------------------------------------

Query::Query(Database &database, QObject *parent) : DataSet(database, parent), m_sql(*this) {}

void Query::sqlChanged()
{
    close();
    QStringList occurrences;
    m_engineText = parseParameters(m_sql.text(), occurrences);
    // One parameter per name; values of names that stay are kept.
    std::vector<Param> params;
    m_occurrences.clear();
    for (const QString &name : occurrences) {
        auto it = std::find_if(params.begin(), params.end(),
                               [&](const Param &p) { return p.name().compare(name, Qt::CaseInsensitive) == 0; });
        if (it == params.end()) {
            params.emplace_back(name);
            const auto old = std::find_if(m_params.begin(), m_params.end(), [&](const Param &p) {
                return p.name().compare(name, Qt::CaseInsensitive) == 0;
            });
            if (old != m_params.end())
                params.back().setValue(old->value());
            it = params.end() - 1;
        }
        m_occurrences.push_back(static_cast<int>(it - params.begin()));
    }
    m_params = std::move(params);
}

Param &Query::paramByName(const QString &name)
{
    for (Param &p : m_params) {
        if (p.name().compare(name, Qt::CaseInsensitive) == 0)
            return p;
    }
    throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
}

void Query::bindParams(Database::Statement &statement) const
{
    sqlite3_stmt *stmt = statement.handle();
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count && i <= static_cast<int>(m_occurrences.size()); ++i) {
        const Param &p = m_params[static_cast<size_t>(m_occurrences[static_cast<size_t>(i - 1)])];
        if (p.isNull())
            throw EDatabaseError(QStringLiteral("No value for parameter '%1'").arg(p.name()));
        const QVariant &v = p.value();
        int rc;
        switch (v.typeId()) {
        case QMetaType::QDate: {
            const QByteArray iso = v.toDate().toString(Qt::ISODate).toLatin1();
            rc = sqlite3_bind_text(stmt, i, iso.constData(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDateTime: {
            const QByteArray iso = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
            rc = sqlite3_bind_text(stmt, i, iso.constData(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::Double: rc = sqlite3_bind_double(stmt, i, v.toDouble()); break;
        case QMetaType::LongLong: rc = sqlite3_bind_int64(stmt, i, v.toLongLong()); break;
        default: {
            const QByteArray utf8 = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, i, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        }
        }
        if (rc != SQLITE_OK)
            statement.throwError();
    }
}

QString Query::cacheKey() const
{
    // Results of functions that answer differently each time are never reused.
    static const QRegularExpression volatileSql(
        QStringLiteral("random|'now'|\"now\"|current_(date|time|timestamp)|changes\\s*\\(|last_insert_rowid"),
        QRegularExpression::CaseInsensitiveOption);
    if (volatileSql.match(m_engineText).hasMatch())
        return {};
    QString key = QString::number(database().generation()) + QLatin1Char('\n') + m_engineText;
    for (const int p : m_occurrences) {
        const QVariant &v = m_params[static_cast<size_t>(p)].value();
        key += QLatin1Char('\n') + QString::number(v.typeId()) + QLatin1Char(':') + v.toString();
    }
    return key;
}

namespace {

// Whether a column of the statement's result is a table's column that sorts in the Polish order.
bool polishColumn(sqlite3_stmt *statement, int c)
{
    const char *table = sqlite3_column_table_name(statement, c);
    const char *collation = nullptr;
    return table
        && sqlite3_table_column_metadata(sqlite3_db_handle(statement), sqlite3_column_database_name(statement, c), table,
                                         sqlite3_column_origin_name(statement, c), nullptr, &collation, nullptr, nullptr,
                                         nullptr)
        == SQLITE_OK
        && collation && kPolishCollation.compare(QLatin1String(collation), Qt::CaseInsensitive) == 0;
}

} // namespace

Query::ResultColumn Query::resultColumn(sqlite3_stmt *statement, int c)
{
    return {QString::fromUtf8(sqlite3_column_name(statement, c)), sqlite3_column_decltype(statement, c) != nullptr,
            polishColumn(statement, c)};
}

void Query::load(Columns &columns, std::vector<FieldDef> &defs)
{
    const auto statement = database().prepare(m_engineText);
    if (statement->columnCount() == 0)
        throw EDatabaseError(QStringLiteral("Error creating cursor handle"));
    bindParams(*statement);
    m_columns.clear();
    for (int c = 0; c < statement->columnCount(); ++c)
        m_columns.push_back(resultColumn(statement->handle(), c));
    // The same statement over unchanged tables gives the same rows: the last result is reused.
    const QString key = cacheKey();
    if (!key.isEmpty() && key == m_cacheKey) {
        columns = m_cachedColumns;
        defs = m_cachedDefs;
        return;
    }
    fetch(database(), *statement, columns, defs);
    m_cacheKey = key;
    m_cachedColumns = columns;
    m_cachedDefs = defs;
}

void Query::execSQL()
{
    const auto statement = database().prepare(m_engineText);
    bindParams(*statement);
    database().run(*statement);
}

bool Query::returnsRows()
{
    return database().prepare(m_engineText)->columnCount() > 0;
}

namespace {

// A name SQL takes unquoted: a letter or "_" first, then letters, digits, "_" and "$", no keyword.
bool isPlainName(const QString &name)
{
    if (name.isEmpty() || !(name[0].isLetter() || name[0] == QLatin1Char('_')))
        return false;
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('$'))
            return false;
    }
    const QByteArray utf8 = name.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size())) == 0;
}

// Whether the text gives the name quoted, as an alias that needs quotes is written.
bool quotedIn(const QString &text, const QString &name)
{
    return text.contains(sqliteQuote(name)) || text.contains(QLatin1Char('[') + name + QLatin1Char(']'))
        || text.contains(QLatin1Char('`') + name + QLatin1Char('`'));
}

} // namespace

QString Query::orderingTerm(const Field &field, bool byPosition) const
{
    const int index = field.index();
    const ResultColumn column = index < static_cast<int>(m_columns.size()) ? m_columns[static_cast<size_t>(index)] : ResultColumn();
    const auto sameName = [&](const ResultColumn &other) { return other.name.compare(column.name, Qt::CaseInsensitive) == 0; };
    // A quoted name the statement does not know would be taken for a text constant: no sort at all.
    const bool known = !byPosition && column.name == field.fieldName()
        && std::count_if(m_columns.begin(), m_columns.end(), sameName) == 1;
    QString term = QString::number(index + 1);
    if (known && isPlainName(column.name))
        term = column.name;
    else if (known && (column.tableColumn || quotedIn(m_engineText, column.name)))
        term = sqliteQuote(column.name);
    if (field.dataType() == FieldType::ftString && !column.polish)
        term += QStringLiteral(" COLLATE ") + kPolishCollation;
    return term;
}
