#pragma once

#include "ColumnStore.h"
#include "Database.h"
#include "Field.h"

#include <QFlags>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>


// A data set: rows held in compact column storage, fields over them, a current record, a filter
// and Locate. Views follow it through its signals and read cells by row without copying.
//
// "Rows" are the stored rows; "records" are the rows the filter lets through, in order, numbered
// from 0. The current record is one of them, or none when the data set is closed or empty.
class DataSet : public QObject {
    Q_OBJECT
public:
    enum FilterOption { foCaseInsensitive = 1, foNoPartialCompare = 2 };
    Q_DECLARE_FLAGS(FilterOptions, FilterOption)
    enum LocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
    Q_DECLARE_FLAGS(LocateOptions, LocateOption)

    explicit DataSet(Database &database, QObject *parent = nullptr);
    ~DataSet() override;

    Database &database() const { return m_database; }

    void open();
    // Harmless on a closed data set.
    void close();
    bool active() const { return m_active; }

    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    Field *field(int index) const { return m_fields.at(static_cast<size_t>(index)).get(); }
    // EDatabaseError "Field 'X' not found" when there is no such field (names compare without case).
    Field *fieldByName(const QString &name) const;
    Field *findField(const QString &name) const;
    std::vector<FieldDef> fieldDefs() const;
    QStringList fieldNames() const;

    int recordCount() const { return static_cast<int>(m_visible.size()); }
    int recNo() const { return m_current; }
    void setRecNo(int record);
    // The stored row of a record, and of the current record (-1 when there is none).
    qsizetype rowOf(int record) const { return m_visible[static_cast<size_t>(record)]; }
    qsizetype currentRow() const { return m_current < 0 ? -1 : rowOf(m_current); }

    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }

    QString filter() const { return m_filter; }
    FilterOptions filterOptions() const { return m_filterOptions; }
    bool filtered() const { return m_filtered; }
    // On an open data set the filter applies at once: EDatabaseError for a malformed expression or
    // an unknown field, EConvertError for a value that does not convert. The text and options are
    // kept even then; Filtered only turns on when the filter applies.
    void setFilter(const QString &expression);
    void setFilterOptions(FilterOptions options);
    void setFiltered(bool filtered);

    // Searches the records from the first for values of the fields ("A;B"; one value or a list);
    // true and the record made current when found. EDatabaseError for an unknown field,
    // EConvertError for a value that does not convert to its field's type.
    bool locate(const QString &fields, const QVariant &values, LocateOptions options = {});

    size_t memoryBytes() const;

signals:
    void aboutToReset();
    void resetDone();
    void currentChanged(int record);

protected:
    using Columns = std::shared_ptr<const std::vector<ColumnStore>>;
    // Gives the columns and field definitions of a new result; the data set is closed.
    virtual void load(Columns &columns, std::vector<FieldDef> &defs) = 0;

    // Reads every row of a prepared statement into new columns, with the field definitions told
    // by the declared types or, for expressions, by the values.
    static void fetch(Database &database, Database::Statement &statement, Columns &columns,
                      std::vector<FieldDef> &defs);

private:
    void applyFilter();
    void setCurrent(int record);
    void resetViews(const std::function<void()> &change);

    Database &m_database;
    bool m_active = false;
    Columns m_columns; // shared with a query's cache of its last result
    std::vector<std::unique_ptr<Field>> m_fields;
    std::vector<qsizetype> m_visible;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    QString m_filter;
    FilterOptions m_filterOptions;
    bool m_filtered = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DataSet::FilterOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(DataSet::LocateOptions)

// Field types of result columns that the engine declares no type for, told by their values.
FieldDef inferFieldDef(const QString &name, const ColumnStore &column);
