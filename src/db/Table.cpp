#include "Table.h"

#include "DatabaseStatement.h"
#include "SqliteUtil.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

Table::Table(Database &database, QObject *parent) : DataSet(database, parent) {}

void Table::setTableName(const QString &name)
{
    close();
    m_tableName = name;
    m_indexDefs.clear();
}

void Table::updateIndexDefs()
{
    const QString path = Database::tableFilePath(m_tableName);
    if (path.isEmpty())
        throw EDBEngineError(QStringLiteral("no such table: %1").arg(m_tableName));
    m_indexDefs = TableFile::open(path)->indexes();
}

void Table::setIndexName(const QString &name)
{
    if (!name.isEmpty()) {
        if (m_indexDefs.empty())
            updateIndexDefs();
        const bool known = std::any_of(m_indexDefs.begin(), m_indexDefs.end(),
                                       [&](const IndexDef &d) { return d.name.compare(name, Qt::CaseInsensitive) == 0; });
        if (!known)
            throw EDatabaseError(QStringLiteral("Index '%1' not found").arg(name));
    }
    m_indexName = name;
    m_indexFieldNames.clear();
    reorder();
}

void Table::setIndexFieldNames(const QString &names)
{
    m_indexFieldNames = names;
    m_indexName.clear();
    reorder();
}

QStringList Table::orderFields() const
{
    if (!m_indexFieldNames.isEmpty())
        return m_indexFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const IndexDef &d : m_indexDefs) {
        if (d.name.compare(m_indexName, Qt::CaseInsensitive) == 0 && (!m_indexName.isEmpty() || d.primary))
            return d.fields;
    }
    return {};
}

int Table::indexFieldCount() const
{
    return static_cast<int>(orderFields().size());
}

Field *Table::indexField(int i) const
{
    return fieldByName(orderFields().at(i).trimmed());
}

void Table::reorder()
{
    if (!active())
        return;
    close();
    open();
}

void Table::load(Columns &columns, std::vector<FieldDef> &defs)
{
    if (m_indexDefs.empty() && m_indexName.isEmpty())
        updateIndexDefs();
    QStringList order;
    for (const QString &f : orderFields())
        order.append(sqliteQuote(f.trimmed()));
    const QString sql = QStringLiteral("SELECT * FROM %1%2")
                            .arg(sqliteQuote(m_tableName),
                                 order.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + order.join(','));
    const auto statement = database().prepare(sql);
    fetch(database(), *statement, columns, defs);
}

namespace {

// The file a destination name stands for: "\" of names written on Windows as "/", trailing dots
// dropped (those systems drop them: they name no extension), ".db" added when no extension is left.
QString newTablePath(QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qsizetype nameStart = name.lastIndexOf(QLatin1Char('/')) + 1;
    qsizetype end = name.size();
    while (end > nameStart && name[end - 1] == QLatin1Char('.'))
        --end;
    // "." and ".." name folders, where no table can be made: the write says so.
    if (end > nameStart) {
        name.truncate(end);
        if (QFileInfo(name).suffix().isEmpty())
            name += QStringLiteral(".db");
    }
    return QDir::current().absoluteFilePath(name);
}

} // namespace

void BatchMove::execute()
{
    if (!source || !destination)
        throw EDatabaseError(QStringLiteral("The batch move has no source or destination"));
    if (!source->active())
        source->open();
    destination->close();
    const QString path = newTablePath(destination->tableName());

    std::vector<FieldDef> fields;
    for (int i = 0; i < source->fieldCount(); ++i) {
        const Field &field = *source->field(i);
        const FieldValues values{source->recordCount(), [&](qint64 record) {
                                     return field.cellAt(source->rowOf(static_cast<int>(record)));
                                 }};
        fields.push_back(TableFile::fitField(path, field.def(), values));
    }
    int record = 0;
    TableFile::create(path, fields, [&](Row &row) {
        if (record >= source->recordCount())
            return false;
        const qsizetype stored = source->rowOf(record++);
        row.resize(fields.size());
        for (size_t f = 0; f < fields.size(); ++f)
            row[f] = source->field(static_cast<int>(f))->cellAt(stored);
        return true;
    });
}
