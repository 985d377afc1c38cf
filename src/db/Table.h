#pragma once

#include "DataSet.h"
#include "TableFile.h"

// The table data set (TTable): one table file opened by name, its rows in the order of the chosen
// index or index fields.
class Table : public DataSet {
    Q_OBJECT
public:
    explicit Table(Database &database, QObject *parent = nullptr);

    QString tableName() const { return m_tableName; }
    void setTableName(const QString &name);

    // The table's indexes, read again by updateIndexDefs(); a Paradox primary key is the index
    // without a name.
    void updateIndexDefs();
    const std::vector<IndexDef> &indexDefs() const { return m_indexDefs; }

    QString indexName() const { return m_indexName; }
    // EDatabaseError "Index 'X' not found"; an open table is ordered again.
    void setIndexName(const QString &name);
    QString indexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(const QString &names);
    int indexFieldCount() const;
    Field *indexField(int i) const;

private:
    void load(Columns &columns, std::vector<FieldDef> &defs) override;
    QStringList orderFields() const;
    void reorder();

    QString m_tableName;
    QString m_indexName;
    QString m_indexFieldNames;
    std::vector<IndexDef> m_indexDefs;
};

// The batch move (TBatchMove) in its copy mode: the source's records (opened first when closed)
// copied into a new table file replacing one of the same name, its kind following the extension.
class BatchMove {
public:
    DataSet *source = nullptr;
    Table *destination = nullptr;
    void execute();
};
