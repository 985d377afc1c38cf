#pragma once

#include <QByteArray>
#include <QString>

// Windows-1250, the code page of every 8-bit file the program reads or writes.
//
// Decoding never fails: the five byte values Windows-1250 leaves undefined (0x81, 0x83, 0x88,
// 0x90, 0x98) become the C1 control characters of the same value, as Windows itself maps them,
// so any file reads and writes back byte for byte.
// Encoding writes "?" for a character Windows-1250 lacks (one per character, also for one
// outside the Basic Multilingual Plane); encodeStrict() refuses such text instead.
namespace cp1250 {

QString decode(const QByteArray &bytes);
QString decode(const char *bytes, int length);
QByteArray encode(const QString &text);
// The first character Windows-1250 cannot hold, or an empty string when all can be held.
QString firstUnencodable(const QString &text);
bool canEncode(const QString &text);
// Encodes or raises EConvertError naming the character that cannot be held.
QByteArray encodeStrict(const QString &text);
// The byte of one character; false when Windows-1250 has no such character.
bool encodeChar(char16_t ch, unsigned char &byte);

} // namespace cp1250
