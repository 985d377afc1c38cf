#pragma once

#include "support/TestSupport.h"
#include "xls/Biff.h"
#include "xls/CompoundFile.h"
#include "xls/Workbook.h"

#include <vector>

namespace testsupport {

struct Record {
    quint16 id;
    QByteArray data;
    qsizetype offset; // of the record header in the stream
};

inline std::vector<Record> records(const QByteArray &stream)
{
    std::vector<Record> out;
    qsizetype pos = 0;
    while (pos + 4 <= stream.size()) {
        const quint16 id = testsupport::littleEndian<quint16>(stream, pos);
        const quint16 length = testsupport::littleEndian<quint16>(stream, pos + 2);
        out.push_back({id, stream.mid(pos + 4, length), pos});
        pos += 4 + length;
    }
    return out;
}

inline QByteArray workbookStream(const QString &path)
{
    return compound::readRootStream(path, QStringLiteral("Workbook"));
}

inline QByteArray record(quint16 id, const QByteArray &data)
{
    RecordData r;
    r.u16(id).u16(static_cast<int>(data.size()));
    return r.bytes + data;
}

// A minimal BIFF8 workbook stream: globals with the given extra records before the SST, one sheet.
inline QByteArray biff8Stream(const QByteArray &globals, const QByteArray &sheet, const QByteArray &sst = QByteArray())
{
    const QByteArray bof = RecordData().u16(0x0600).u16(0x0005).u16(6319).u16(1997).u32(0x40C1).u32(0x106).bytes;
    const QByteArray sheetBof = RecordData().u16(0x0600).u16(0x0010).u16(6319).u16(1997).u32(0x40C1).u32(0x106).bytes;
    QByteArray head = record(biff::BOF, bof) + globals;
    const QByteArray name = QByteArray("Arkusz");
    const QByteArray boundSheet = RecordData().u32(0).u16(0).u8(static_cast<int>(name.size())).u8(0).bytes + name;
    head += record(biff::BOUNDSHEET, boundSheet);
    head += sst.isNull() ? record(biff::SST, RecordData().u32(0).u32(0).bytes) : sst;
    head += record(biff::EOF_, {});
    QByteArray stream = head + record(biff::BOF, sheetBof) + sheet + record(biff::EOF_, {});
    return stream;
}

inline void writeCompound(const QString &path, const QByteArray &stream, const QString &streamName = QStringLiteral("Workbook"))
{
    compound::Writer writer(path, streamName);
    writer.write(stream.constData(), stream.size());
    writer.close();
}

} // namespace testsupport
