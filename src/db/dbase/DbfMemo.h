#pragma once

#include <QByteArray>
#include <QString>

// The memo file of a dBASE table: .dbt of dBASE III and IV, .fpt of FoxPro.
class DbfMemo {
public:
    enum class Kind { DBase3, DBase4, FoxPro };

    // Reads the whole memo file; EDBEngineError naming it when it can't be read or is damaged.
    DbfMemo(const QString &path, Kind kind);
    // A new, empty memo file of the kind, not yet written.
    static DbfMemo empty(const QString &path, Kind kind);

    const QString &path() const { return m_path; }
    // The memo stored at a block; EDBEngineError when the block lies outside the file.
    QByteArray read(qint64 block) const;
    // Whether a memo of the kind reads back as the data: dBASE III ends a memo at its first 0x1A.
    bool keepsWhole(const QByteArray &data) const { return m_kind != Kind::DBase3 || !data.contains('\x1A'); }
    // Appends a memo and returns its block; the content is written by save().
    qint64 append(const QByteArray &data, bool binary = false);
    bool changed() const { return m_changed; }
    const QByteArray &bytes() const { return m_bytes; }

private:
    DbfMemo(QString path, Kind kind, QByteArray bytes);
    qint64 blockSize() const;
    void setNextFreeBlock(qint64 block);

    QString m_path;
    Kind m_kind;
    QByteArray m_bytes;
    bool m_changed = false;
};
