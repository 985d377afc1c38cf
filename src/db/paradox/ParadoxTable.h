#pragma once

#include "db/TableFile.h"

#include <QByteArray>

class SingleByteCodec;

// A Paradox table (.db) with its memo file (.mb). pxlib reads and validates the header and makes
// the header of a new table; records, blocks and memos are read and written here, since pxlib
// misreads nulls, aborts on memo files and crashes on long text.
class ParadoxTable : public TableFile {
public:
    explicit ParadoxTable(const QString &path);

    static bool looksLikeParadox(const QByteArray &header);
    static void create(const QString &path, const std::vector<FieldDef> &fields,
                       const std::function<bool(Row &)> &rows);
    static QStringList companionFiles(const QString &path);
    // A new table's field fitted to its values (TableFile::fitField): an integer field widened to
    // Long or Number when its values need it, Number taking integers up to 2^53 alone; texts
    // holding a NUL in a memo.
    static FieldDef fitField(const QString &path, FieldDef field, const FieldValues &values);

    Format format() const override { return Format::Paradox; }
    std::vector<FieldDef> fields() const override;
    void read(const std::function<void(qint64, const Row &)> &sink) const override;
    void apply(const std::vector<RecordChange> &changes) override;
    std::vector<IndexDef> indexes() const override;

    struct Column {
        FieldDef def;
        int pxType = 1;
        int size = 0;   // bytes in the record
        int offset = 0; // from the start of the record
    };

private:
    // A new table not yet written, its file in memory.
    ParadoxTable(const QString &path, const QByteArray &file);
    void readHeader(const QByteArray &head, qint64 fileSize);
    struct Layout;
    QString memoPath() const;
    void patch(QByteArray &file, class MbFile &memo, const std::vector<RecordChange> &changes) const;

    std::vector<Column> m_columns;
    int m_recordSize = 0;
    int m_headerSize = 0;
    int m_blockSize = 0;
    int m_keyFields = 0;
    int m_fileType = 2;
    const SingleByteCodec *m_codec = nullptr;
    bool m_hasMemo = false;
};
