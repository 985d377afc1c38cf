#pragma once

#include <QByteArray>
#include <QString>

// The memo and BLOb file (.mb) of a Paradox table: 4 KB blocks; a blob lives in a block of its own
// (type 2) or in a slot of a block shared by small blobs (type 3).
class MbFile {
public:
    // Reads the file; EDBEngineError naming it when it can't be read or is damaged.
    explicit MbFile(const QString &path);
    // A new file holding only its header, not yet written.
    static MbFile empty(const QString &path);

    const QString &path() const { return m_path; }
    // The blob a record's pointer names: offset with the slot index in its low byte, and length.
    QByteArray read(quint32 offset, quint32 length) const;
    // Stores a blob in blocks of its own and returns the pointer's offset (index 0xFF).
    quint32 append(const QByteArray &data);
    bool changed() const { return m_changed; }
    const QByteArray &bytes() const { return m_bytes; }

private:
    MbFile(QString path, QByteArray bytes) : m_path(std::move(path)), m_bytes(std::move(bytes)) {}

    QString m_path;
    QByteArray m_bytes;
    bool m_changed = false;
};
