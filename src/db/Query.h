#pragma once

#include "DataSet.h"
#include "Database.h"

#include <QDate>
#include <QStringList>
#include <QVariant>

class Query;
struct sqlite3_stmt;

// The SQL text of a query as a list of lines; every change makes the query read its parameters
// again, once at the end of a bulk update.
class SqlLines {
public:
    explicit SqlLines(Query &query) : m_query(query) {}

    int count() const { return static_cast<int>(m_lines.size()); }
    const QString &at(int i) const { return m_lines.at(i); }
    const QStringList &lines() const { return m_lines; }
    QString text() const; // the lines, each followed by CR LF

    void assign(const QStringList &lines);
    void replace(int i, const QString &line);
    void removeAt(int i);
    void append(const QString &line);
    void clear() { assign({}); }
    void beginUpdate() { ++m_updating; }
    void endUpdate();

private:
    void changed();

    Query &m_query;
    QStringList m_lines;
    int m_updating = 0;
    bool m_pending = false;
};

// A parameter of the statement (":name" in the text) and the value the next run binds.
class Param {
public:
    explicit Param(QString name) : m_name(std::move(name)) {}
    const QString &name() const { return m_name; }

    void setAsDate(const QDate &date) { m_value = date; }
    void setAsDateTime(const QDateTime &dateTime) { m_value = dateTime; }
    void setAsFloat(double value) { m_value = value; }
    void setAsInteger(qint64 value) { m_value = value; }
    void setAsString(const QString &value) { m_value = value; }
    void clear() { m_value = QVariant(); }
    void setValue(const QVariant &value) { m_value = value; }
    const QVariant &value() const { return m_value; }
    bool isNull() const { return !m_value.isValid(); }
    // The value as text, as the regional settings write it.
    QString asString() const;

private:
    QString m_name;
    QVariant m_value;
};

// The query data set (TQuery): SQL text with ":name" parameters, run by Open or ExecSQL.
class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(Database &database, QObject *parent = nullptr);

    SqlLines &sql() { return m_sql; }
    const SqlLines &sql() const { return m_sql; }

    int paramCount() const { return static_cast<int>(m_params.size()); }
    Param &param(int i) { return m_params.at(static_cast<size_t>(i)); }
    // EDatabaseError "Parameter 'X' not found".
    Param &paramByName(const QString &name);
    // The statement as handed to the engine: each ":name" replaced by "?".
    QString text() const { return m_engineText; }

    // Runs a statement that does not return rows. EDBEngineError from the engine; EDatabaseError
    // "No value for parameter 'X'" for a parameter left without a value.
    void execSQL();
    // Whether the statement returns rows, as the engine sees it once prepared.
    bool returnsRows();

    // The term of an ORDER BY of this statement that sorts by a field of its open result: the
    // column's name as the statement knows it, quoted where SQL needs it; its position where the
    // statement knows no such name (a second column of one name, told apart as NR_1; an
    // expression without an alias), or when asked for. Texts are sorted in the Polish order, as
    // table files' texts are by their columns.
    QString orderingTerm(const Field &field, bool byPosition = false) const;

private:
    friend class SqlLines;
    void sqlChanged();
    void load(Columns &columns, std::vector<FieldDef> &defs) override;
    void bindParams(Database::Statement &statement) const;
    QString cacheKey() const;

    SqlLines m_sql;
    std::vector<Param> m_params;
    std::vector<int> m_occurrences; // parameter of every "?" in order
    QString m_engineText;
    // The result columns as the engine names them and tells of them.
    struct ResultColumn {
        QString name;
        bool tableColumn = false; // a table's column (one with a declared type), not an expression
        bool polish = false;      // a table's column in the Polish order
    };
    std::vector<ResultColumn> m_columns;
    static ResultColumn resultColumn(sqlite3_stmt *statement, int c);
    // The last result, reused while the statement, its parameters and the tables stay the same.
    QString m_cacheKey;
    Columns m_cachedColumns;
    std::vector<FieldDef> m_cachedDefs;
};

// The parameters of SQL text, in order of appearance, not inside string literals, quoted names or
// comments; "::" is no parameter. Returns the text with every parameter replaced by "?" and the
// names of the occurrences.
QString parseParameters(const QString &sql, QStringList &occurrences);
