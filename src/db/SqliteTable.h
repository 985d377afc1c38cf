#pragma once

#include "TableFile.h"

// A table of an SQLite database file named like a table file: the table that carries the file's
// base name, or the only table of the database.
class SqliteTable : public TableFile {
public:
    explicit SqliteTable(const QString &path);
    static bool looksLikeSqlite(const QByteArray &header);

    Format format() const override { return Format::SQLite; }
    std::vector<FieldDef> fields() const override { return m_fields; }
    void read(const std::function<void(qint64, const Row &)> &sink) const override;
    // Changes go through the database's own transaction; record numbers are rowids less one.
    void apply(const std::vector<RecordChange> &changes) override;
    std::vector<IndexDef> indexes() const override;

private:
    QString m_table;
    QStringList m_columns;
    std::vector<FieldDef> m_fields;
};
