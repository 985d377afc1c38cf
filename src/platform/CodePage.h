#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// A single-byte code page, built from iconv when first used.
//
// Decoding never fails: byte values the code page leaves undefined become the characters of the
// same value (U+0080..U+00FF), as Windows itself maps them, so any file reads and writes back byte
// for byte. Encoding writes "?" for a character the code page lacks (one per character, also for
// one outside the Basic Multilingual Plane); encodeStrict() refuses such text instead.
class SingleByteCodec {
public:
    // "WINDOWS-1250", "CP852", ... as iconv names them.
    explicit SingleByteCodec(const char *iconvName);
    // A code page iconv does not know, given as another one with some bytes changed.
    SingleByteCodec(const char *name, const char *baseIconvName, const std::vector<std::pair<unsigned char, char16_t>> &changes);

    QString decode(const char *bytes, qsizetype length) const;
    QString decode(const QByteArray &bytes) const { return decode(bytes.constData(), bytes.size()); }
    QByteArray encode(const QString &text) const;
    // The same bytes appended to out.
    void appendEncoded(QByteArray &out, const QString &text) const;
    // The first character the code page cannot hold, or an empty string when all can be held.
    QString firstUnencodable(const QString &text) const;
    // Encodes or raises EConvertError naming the character that cannot be held.
    QByteArray encodeStrict(const QString &text) const;
    bool encodeChar(char16_t ch, unsigned char &byte) const;

    // Straight between the code page and UTF-8, for the database engine's text.
    void appendUtf8(QByteArray &out, const char *bytes, qsizetype length) const;
    // Writes the UTF-8 of the bytes into out, which has room for three bytes per input byte;
    // returns the number of bytes written.
    qsizetype toUtf8(const char *bytes, qsizetype length, char *out) const;
    // UTF-8 to the code page; false (out unchanged past what was done) when a character is missing.
    bool fromUtf8(const char *utf8, qsizetype length, QByteArray &out) const;

    const char *name() const { return m_name.constData(); }

private:
    void assign(unsigned char byte, char16_t ch);

    QByteArray m_name;
    char16_t m_toUnicode[256];
    unsigned char m_utf8[256][4]; // length, then up to three bytes
    unsigned char m_fromUnicode[0x10000];
    bool m_encodable[0x10000];
};

// Windows-1250, the code page of every 8-bit file the program writes.
namespace cp1250 {

const SingleByteCodec &codec();
QString decode(const QByteArray &bytes);
QString decode(const char *bytes, int length);
QByteArray encode(const QString &text);
QString firstUnencodable(const QString &text);
bool canEncode(const QString &text);
QByteArray encodeStrict(const QString &text);
bool encodeChar(char16_t ch, unsigned char &byte);

} // namespace cp1250

// Whether the number names a single-byte DOS or Windows code page that codecForCodePage() reads
// as it is (437, 850, 852, 865, ..., 1250 to 1258, 620 Mazovia and 895 Kamenický).
bool isSingleByteCodePage(int codePage);
// The codec of a Windows or DOS code page number (1250, 1252, 852, ..., and 620 Mazovia and 895
// Kamenický, which iconv lacks); Windows-1252 for numbers that name no single-byte code page known.
const SingleByteCodec &codecForCodePage(int codePage);
