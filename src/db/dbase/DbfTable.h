#pragma once

#include "db/TableFile.h"

class SingleByteCodec;

// A dBASE III/IV or FoxPro table (.dbf) with its memo file (.dbt, .fpt). Records go through
// shapelib; values and memos are encoded here.
class DbfTable : public TableFile {
public:
    explicit DbfTable(const QString &path);

    static bool looksLikeDbf(const QByteArray &header);
    static void create(const QString &path, const std::vector<FieldDef> &fields,
                       const std::function<bool(Row &)> &rows);
    static QStringList companionFiles(const QString &path);
    // A new table's field fitted to its values (TableFile::fitField): a number field as wide as
    // the values' texts (15 significant digits) need, at most 20 characters; a memo takes no value
    // holding the byte that ends a dBASE III memo.
    static FieldDef fitField(const QString &path, FieldDef field, const FieldValues &values);

    Format format() const override { return Format::DBase; }
    std::vector<FieldDef> fields() const override;
    void read(const std::function<void(qint64, const Row &)> &sink) const override;
    void apply(const std::vector<RecordChange> &changes) override;
    qint64 recordCountHint() const override { return m_recordCount; }

    // How a file field is stored.
    struct Column {
        FieldDef def;
        char nativeType = 'C';
        int offset = 0;
        int width = 0;
        int decimals = 0;
    };

private:
    QString memoPath() const;

    unsigned char m_version = 0;
    int m_recordLength = 0;
    qint64 m_recordCount = 0;
    const SingleByteCodec *m_codec = nullptr;
    std::vector<Column> m_columns;
    bool m_hasMemo = false;
};
