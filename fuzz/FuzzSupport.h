#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace fuzz {

// A folder of the fuzzer's own, made once. The working folder stays as it is: libFuzzer reads its
// corpus and writes its findings by the paths it was given.
inline const QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

inline QString path(const QString &name)
{
    return folder().filePath(name);
}

inline void write(const QString &name, const char *data, qsizetype size)
{
    QFile file(path(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data, size);
}

// An input of a table and its memo file: the table's bytes, then "\nMEMO\n" and the memo's bytes
// when there is a memo. The memo file is removed when there is none.
inline void writeTable(const uint8_t *data, size_t size, const QString &table, const QString &memo)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype split = input.indexOf("\nMEMO\n");
    const QByteArray tableBytes = split < 0 ? input : input.left(split);
    write(table, tableBytes.constData(), tableBytes.size());
    QFile::remove(path(memo));
    if (split >= 0)
        write(memo, input.constData() + split + 6, input.size() - split - 6);
}

} // namespace fuzz
