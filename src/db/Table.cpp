#include "Table.h"

#include "DatabaseStatement.h"
#include "SqliteUtil.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
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

// Width and places a dBASE number needs for the values; Paradox keeps doubles and ignores them.
void fitNumber(FieldDef &def, const Field &field)
{
    const ColumnStore &column = field.column();
    int integerDigits = 1, decimals = isIntegerType(def.type) ? 0 : def.decimals;
    for (qsizetype row = 0; row < column.size(); ++row) {
        if (column.isNull(row))
            continue;
        if (column.storage() == ColumnStore::Storage::Integer) {
            integerDigits = std::max<int>(integerDigits, static_cast<int>(QByteArray::number(column.integerAt(row)).size()));
            continue;
        }
        const QByteArray text = QByteArray::number(column.realAt(row), 'f', 15);
        const QByteArray general = QByteArray::number(column.realAt(row), 'g', 15);
        const qsizetype point = text.indexOf('.');
        integerDigits = std::max<int>(integerDigits, static_cast<int>(point < 0 ? text.size() : point));
        const qsizetype gPoint = general.indexOf('.');
        if (gPoint >= 0 && !general.contains('e'))
            decimals = std::max<int>(decimals, static_cast<int>(general.size() - gPoint - 1));
    }
    decimals = std::min(decimals, std::max(0, 20 - integerDigits - 1));
    const int width = std::min(20, integerDigits + (decimals > 0 ? decimals + 1 : 0));
    def.size = std::max(def.size, width);
    def.decimals = decimals;
    if (def.size > 20)
        def.size = 20;
}

} // namespace

void BatchMove::execute()
{
    if (!source || !destination)
        throw EDatabaseError(QStringLiteral("The batch move has no source or destination"));
    if (!source->active())
        source->open();
    destination->close();
    QString path = destination->tableName();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".db");
    path = QDir::current().absoluteFilePath(path);

    std::vector<FieldDef> fields;
    for (int i = 0; i < source->fieldCount(); ++i) {
        const Field &field = *source->field(i);
        FieldDef def = field.def();
        if (def.type == FieldType::ftString) {
            int longest = std::max(def.size, 1);
            for (int r = 0; r < source->recordCount(); ++r)
                longest = std::max<int>(longest, static_cast<int>(field.asStringAt(source->rowOf(r)).size()));
            def.size = longest;
        } else if (isNumericType(def.type)) {
            fitNumber(def, field);
        }
        fields.push_back(def);
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
