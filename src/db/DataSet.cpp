#include "DataSet.h"

#include "DatabaseStatement.h"
#include "Filter.h"
#include "SqliteUtil.h"
#include "platform/Errors.h"

#include <QDate>
#include <QRegularExpression>
#include <numeric>

DataSet::DataSet(Database &database, QObject *parent) : QObject(parent), m_database(database) {}

DataSet::~DataSet() = default;

void DataSet::resetViews(const std::function<void()> &change)
{
    emit aboutToReset();
    try {
        change();
    } catch (...) {
        emit resetDone();
        throw;
    }
    emit resetDone();
}

void DataSet::open()
{
    if (m_active)
        return;
    Columns columns;
    std::vector<FieldDef> defs;
    load(columns, defs);
    resetViews([&] {
        m_columns = std::move(columns);
        m_fields.clear();
        for (size_t i = 0; i < defs.size(); ++i)
            m_fields.push_back(std::make_unique<Field>(*this, static_cast<int>(i), defs[i], (*m_columns)[i]));
        m_active = true;
        try {
            applyFilter();
        } catch (const Exception &) {
            // A filter left from another result that names fields this one lacks, or values it
            // cannot compare, would keep the new result from opening: it is switched off instead
            // (its expression stays) and every record shows.
            m_filtered = false;
            applyFilter();
        }
    });
}

void DataSet::close()
{
    if (!m_active)
        return;
    resetViews([&] {
        m_active = false;
        m_fields.clear();
        m_columns.reset();
        m_visible.clear();
        m_current = -1;
        m_eof = m_bof = true;
    });
}

Field *DataSet::findField(const QString &name) const
{
    for (const auto &f : m_fields) {
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    }
    return nullptr;
}

Field *DataSet::fieldByName(const QString &name) const
{
    Field *f = findField(name);
    if (!f)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return f;
}

std::vector<FieldDef> DataSet::fieldDefs() const
{
    std::vector<FieldDef> defs;
    for (const auto &f : m_fields)
        defs.push_back(f->def());
    return defs;
}

QStringList DataSet::fieldNames() const
{
    QStringList names;
    for (const auto &f : m_fields)
        names.append(f->fieldName());
    return names;
}

void DataSet::applyFilter()
{
    const qsizetype rows = !m_columns || m_columns->empty() ? 0 : m_columns->front().size();
    std::vector<qsizetype> visible;
    if (m_filtered && !m_filter.trimmed().isEmpty()) {
        const auto expression = FilterExpression::parse(m_filter);
        const auto test = expression->compile(*this, m_filterOptions.testFlag(foCaseInsensitive),
                                              !m_filterOptions.testFlag(foNoPartialCompare));
        for (qsizetype row = 0; row < rows; ++row) {
            if (test(row))
                visible.push_back(row);
        }
    } else {
        visible.resize(static_cast<size_t>(rows));
        std::iota(visible.begin(), visible.end(), qsizetype(0));
    }
    m_visible.swap(visible);
    m_current = m_visible.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_visible.empty();
}

void DataSet::setFilter(const QString &expression)
{
    m_filter = expression;
    if (m_active && m_filtered)
        resetViews([&] { applyFilter(); });
}

void DataSet::setFilterOptions(FilterOptions options)
{
    m_filterOptions = options;
    if (m_active && m_filtered)
        resetViews([&] { applyFilter(); });
}

void DataSet::setFiltered(bool filtered)
{
    if (!m_active) {
        m_filtered = filtered;
        return;
    }
    if (filtered == m_filtered)
        return;
    resetViews([&] {
        m_filtered = filtered;
        try {
            applyFilter();
        } catch (...) {
            m_filtered = false;
            applyFilter();
            throw;
        }
    });
}

void DataSet::setCurrent(int record)
{
    if (record == m_current)
        return;
    m_current = record;
    emit currentChanged(record);
}

void DataSet::setRecNo(int record)
{
    if (record < 0 || record >= recordCount())
        return;
    m_bof = m_eof = false;
    setCurrent(record);
}

void DataSet::first()
{
    m_bof = true;
    m_eof = m_visible.empty();
    setCurrent(m_visible.empty() ? -1 : 0);
}

void DataSet::last()
{
    m_eof = true;
    m_bof = m_visible.empty();
    setCurrent(m_visible.empty() ? -1 : recordCount() - 1);
}

void DataSet::next()
{
    if (m_current + 1 < recordCount()) {
        m_bof = false;
        setCurrent(m_current + 1);
    } else {
        m_eof = true;
    }
}

void DataSet::prior()
{
    if (m_current > 0) {
        m_eof = false;
        setCurrent(m_current - 1);
    } else {
        m_bof = true;
    }
}

bool DataSet::locate(const QString &fields, const QVariant &values, LocateOptions options)
{
    if (!m_active)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    const QStringList names = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QVariantList list = names.size() > 1 && values.canConvert<QVariantList>() ? values.toList() : QVariantList{values};
    std::vector<std::function<bool(qsizetype)>> tests;
    for (int i = 0; i < names.size(); ++i) {
        const Field *field = fieldByName(names[i].trimmed());
        const QVariant value = i < list.size() ? list[i] : QVariant();
        if (value.isNull() || !value.isValid()) {
            const ColumnStore &column = field->column();
            tests.push_back([&column](qsizetype row) { return column.isNull(row); });
            continue;
        }
        QString text;
        switch (value.typeId()) {
        case QMetaType::QDate: text = value.toDate().toString(Qt::ISODate); break;
        case QMetaType::QDateTime: text = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); break;
        case QMetaType::Double: text = QString::number(value.toDouble(), 'g', 17); break;
        default: text = value.toString(); break;
        }
        // Only a text is found by its beginning: a date, a number or a logical value is whole.
        const bool partial = options.testFlag(loPartialKey) && comparesAsText(field->dataType());
        if (partial)
            text += QLatin1Char('*');
        const ValueMatcher matcher(*field, text, ValueMatcher::Op::Equal, options.testFlag(loCaseInsensitive), partial);
        tests.push_back([matcher](qsizetype row) { return matcher.matches(row); });
    }
    for (int record = 0; record < recordCount(); ++record) {
        const qsizetype row = rowOf(record);
        if (std::all_of(tests.begin(), tests.end(), [row](const auto &test) { return test(row); })) {
            m_bof = m_eof = false;
            setCurrent(record);
            return true;
        }
    }
    return false;
}

size_t DataSet::memoryBytes() const
{
    size_t bytes = m_visible.capacity() * sizeof(qsizetype);
    if (m_columns) {
        for (const ColumnStore &c : *m_columns)
            bytes += c.memoryBytes();
    }
    return bytes;
}

FieldDef inferFieldDef(const QString &name, const ColumnStore &column)
{
    FieldDef def;
    def.name = name;
    bool allNull = true;
    for (qsizetype row = 0; row < column.size() && allNull; ++row)
        allNull = column.isNull(row);
    if (allNull) {
        def.size = 1;
        return def;
    }
    switch (column.storage()) {
    case ColumnStore::Storage::Integer: {
        bool small = true;
        for (qsizetype row = 0; row < column.size() && small; ++row)
            small = column.isNull(row) || (column.integerAt(row) >= INT32_MIN && column.integerAt(row) <= INT32_MAX);
        def.type = small ? FieldType::ftInteger : FieldType::ftLargeint;
        return def;
    }
    case ColumnStore::Storage::Real:
        def.type = FieldType::ftFloat;
        return def;
    case ColumnStore::Storage::Text:
        break;
    }
    if (column.hasBlobs()) {
        def.type = FieldType::ftBlob;
        return def;
    }
    // ISO dates and timestamps (MAX of a date column, a date literal) keep their type.
    static const QRegularExpression isoDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    static const QRegularExpression isoStamp(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$"));
    bool dates = true, stamps = true, any = false;
    int longest = 0;
    for (qsizetype row = 0; row < column.size(); ++row) {
        if (column.isNull(row))
            continue;
        const QString text = QString::fromUtf8(column.textAt(row));
        any = true;
        longest = std::max<int>(longest, static_cast<int>(text.size()));
        dates = dates && isoDate.match(text).hasMatch() && isoToDate(text.toLatin1()).isValid();
        stamps = stamps && isoStamp.match(text).hasMatch() && isoToDateTime(text.toLatin1()).isValid();
    }
    def.type = any && dates ? FieldType::ftDate : any && stamps ? FieldType::ftDateTime : FieldType::ftString;
    def.size = def.type == FieldType::ftString ? std::max(longest, 1) : 0;
    return def;
}

void DataSet::fetch(Database &database, Database::Statement &statement, Columns &columns, std::vector<FieldDef> &defs)
{
    const int count = statement.columnCount();
    auto stores = std::make_shared<std::vector<ColumnStore>>(static_cast<size_t>(count));
    sqlite3_stmt *stmt = statement.handle();
    const QString task = QStringLiteral("Wczytywanie wyniku zapytania");
    qint64 rows = 0;
    database.run(statement, [&] {
        database.reportProgress(task, ++rows, -1);
        for (int c = 0; c < count; ++c)
            appendColumnValue((*stores)[static_cast<size_t>(c)], stmt, c);
    });
    QStringList names;
    for (int c = 0; c < count; ++c) {
        ColumnStore &column = (*stores)[static_cast<size_t>(c)];
        column.finish();
        const char *declared = sqlite3_column_decltype(statement.handle(), c);
        const QString base = QString::fromUtf8(sqlite3_column_name(statement.handle(), c));
        QString name = base;
        for (int n = 1; names.contains(name, Qt::CaseInsensitive); ++n)
            name = base + QLatin1Char('_') + QString::number(n);
        names.append(name);
        FieldDef def = fieldFromDeclaredType(QString::fromUtf8(declared ? declared : ""));
        if (def.type == FieldType::ftUnknown)
            def = inferFieldDef(name, column);
        def.name = name;
        defs.push_back(def);
    }
    columns = std::move(stores);
}
