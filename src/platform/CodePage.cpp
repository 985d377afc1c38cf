#include "CodePage.h"

#include "Errors.h"

#include <cstring>
#include <map>
#include <iconv.h>
#include <memory>
#include <set>
#include <vector>
#include <stdexcept>

namespace {

bool isHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch < 0xDC00; }
bool isLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch < 0xE000; }

} // namespace

SingleByteCodec::SingleByteCodec(const char *iconvName) : m_name(iconvName)
{
    std::memset(m_encodable, 0, sizeof m_encodable);
    iconv_t cd = iconv_open("UTF-16LE", iconvName);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("iconv cannot convert from ") + iconvName);
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[4] = {};
        char *inPtr = &in;
        char *outPtr = out;
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && outLeft == 2;
        assign(static_cast<unsigned char>(b), ok ? static_cast<char16_t>(static_cast<unsigned char>(out[0])
                                                                         | static_cast<unsigned char>(out[1]) << 8)
                                                 : static_cast<char16_t>(b));
    }
    iconv_close(cd);
}

SingleByteCodec::SingleByteCodec(const char *name, const char *baseIconvName,
                                 const std::vector<std::pair<unsigned char, char16_t>> &changes)
    : SingleByteCodec(baseIconvName)
{
    m_name = name;
    for (const auto &[byte, ch] : changes) {
        // The base's character at that byte is no longer in the code page.
        m_encodable[m_toUnicode[byte]] = false;
        assign(byte, ch);
    }
}

void SingleByteCodec::assign(unsigned char byte, char16_t ch)
{
    m_toUnicode[byte] = ch;
    m_fromUnicode[ch] = byte;
    m_encodable[ch] = true;
    const QByteArray utf8 = QString(QChar(ch)).toUtf8();
    m_utf8[byte][0] = static_cast<unsigned char>(utf8.size());
    std::memcpy(&m_utf8[byte][1], utf8.constData(), static_cast<size_t>(utf8.size()));
}

QString SingleByteCodec::decode(const char *bytes, qsizetype length) const
{
    QString text(length, Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(m_toUnicode[static_cast<unsigned char>(bytes[i])]);
    return text;
}

bool SingleByteCodec::encodeChar(char16_t ch, unsigned char &byte) const
{
    if (!m_encodable[ch])
        return false;
    byte = m_fromUnicode[ch];
    return true;
}

QByteArray SingleByteCodec::encode(const QString &text) const
{
    QByteArray bytes;
    appendEncoded(bytes, text);
    return bytes;
}

void SingleByteCodec::appendEncoded(QByteArray &bytes, const QString &text) const
{
    // One byte per character at most: the room is made once and written through a pointer.
    const qsizetype start = bytes.size();
    const qsizetype n = text.size();
    bytes.resize(start + n);
    char *out = bytes.data() + start;
    const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
    for (qsizetype i = 0; i < n; ++i) {
        if (m_encodable[p[i]]) {
            *out++ = static_cast<char>(m_fromUnicode[p[i]]);
            continue;
        }
        *out++ = '?';
        if (isHighSurrogate(p[i]) && i + 1 < n && isLowSurrogate(p[i + 1]))
            ++i;
    }
    bytes.truncate(out - bytes.constData());
}

QString SingleByteCodec::firstUnencodable(const QString &text) const
{
    const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        unsigned char byte;
        if (encodeChar(p[i], byte))
            continue;
        const bool pair = isHighSurrogate(p[i]) && i + 1 < n && isLowSurrogate(p[i + 1]);
        return text.mid(i, pair ? 2 : 1);
    }
    return {};
}

QByteArray SingleByteCodec::encodeStrict(const QString &text) const
{
    const QString bad = firstUnencodable(text);
    if (!bad.isEmpty()) {
        const uint code = bad.size() == 2 ? QChar::surrogateToUcs4(bad.at(0), bad.at(1)) : bad.at(0).unicode();
        const QString hex = QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0'));
        throw EConvertError(QStringLiteral("Znak \"%1\" (U+%2) nie istnieje w stronie kodowej %3")
                                .arg(bad, hex, QString::fromLatin1(m_name)));
    }
    return encode(text);
}

qsizetype SingleByteCodec::toUtf8(const char *bytes, qsizetype length, char *out) const
{
    char *p = out;
    for (qsizetype i = 0; i < length; ++i) {
        const unsigned char *seq = m_utf8[static_cast<unsigned char>(bytes[i])];
        p[0] = static_cast<char>(seq[1]);
        if (seq[0] > 1) {
            p[1] = static_cast<char>(seq[2]);
            p[2] = static_cast<char>(seq[3]);
        }
        p += seq[0];
    }
    return p - out;
}

void SingleByteCodec::appendUtf8(QByteArray &out, const char *bytes, qsizetype length) const
{
    const qsizetype start = out.size();
    out.resize(start + 3 * length);
    out.resize(start + toUtf8(bytes, length, out.data() + start));
}

bool SingleByteCodec::fromUtf8(const char *utf8, qsizetype length, QByteArray &out) const
{
    qsizetype i = 0;
    // ASCII is the same in every code page used here.
    while (i < length) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80 && m_toUnicode[c] == c) {
            out.append(static_cast<char>(c));
            ++i;
            continue;
        }
        const QString rest = QString::fromUtf8(utf8 + i, length - i);
        const QByteArray encoded = encode(rest);
        if (!firstUnencodable(rest).isEmpty())
            return false;
        out.append(encoded);
        return true;
    }
    return true;
}

namespace cp1250 {

const SingleByteCodec &codec()
{
    static const std::unique_ptr<SingleByteCodec> c = std::make_unique<SingleByteCodec>("WINDOWS-1250");
    return *c;
}

QString decode(const QByteArray &bytes) { return codec().decode(bytes); }
QString decode(const char *bytes, int length) { return codec().decode(bytes, length); }
QByteArray encode(const QString &text) { return codec().encode(text); }
QString firstUnencodable(const QString &text) { return codec().firstUnencodable(text); }
bool canEncode(const QString &text) { return firstUnencodable(text).isEmpty(); }
QByteArray encodeStrict(const QString &text) { return codec().encodeStrict(text); }
bool encodeChar(char16_t ch, unsigned char &byte) { return codec().encodeChar(ch, byte); }

} // namespace cp1250

namespace {

using ByteChanges = std::vector<std::pair<unsigned char, char16_t>>;

// Mazovia, the Polish DOS code page of the dBASE and Clipper years (code page 620): code page 437
// with the Polish letters in place of some of its accented ones, from the published code chart.
const ByteChanges kMazovia = {
    {0x86, u'ą'}, {0x8D, u'ć'}, {0x8F, u'Ą'}, {0x90, u'Ę'}, {0x91, u'ę'}, {0x92, u'ł'}, {0x95, u'Ć'},
    {0x98, u'Ś'}, {0x9C, u'Ł'}, {0x9E, u'ś'}, {0xA0, u'Ź'}, {0xA1, u'Ż'}, {0xA3, u'Ó'}, {0xA4, u'ń'},
    {0xA5, u'Ń'}, {0xA6, u'ź'}, {0xA7, u'ż'},
};

// Kamenický, the Czech and Slovak DOS code page (895): code page 437 with 0x80..0xAF replaced,
// from the published code chart.
const ByteChanges kKamenicky = {
    {0x80, u'Č'}, {0x81, u'ü'}, {0x82, u'é'}, {0x83, u'ď'}, {0x84, u'ä'}, {0x85, u'Ď'}, {0x86, u'Ť'},
    {0x87, u'č'}, {0x88, u'ě'}, {0x89, u'Ě'}, {0x8A, u'Ĺ'}, {0x8B, u'Í'}, {0x8C, u'ľ'}, {0x8D, u'ĺ'},
    {0x8E, u'Ä'}, {0x8F, u'Á'}, {0x90, u'É'}, {0x91, u'ž'}, {0x92, u'Ž'}, {0x93, u'ô'}, {0x94, u'ö'},
    {0x95, u'Ó'}, {0x96, u'ů'}, {0x97, u'Ú'}, {0x98, u'ý'}, {0x99, u'Ö'}, {0x9A, u'Ü'}, {0x9B, u'Š'},
    {0x9C, u'Ľ'}, {0x9D, u'Ý'}, {0x9E, u'Ř'}, {0x9F, u'ť'}, {0xA0, u'á'}, {0xA1, u'í'}, {0xA2, u'ó'},
    {0xA3, u'ú'}, {0xA4, u'ň'}, {0xA5, u'Ň'}, {0xA6, u'Ů'}, {0xA7, u'Ô'}, {0xA8, u'š'}, {0xA9, u'ř'},
    {0xAA, u'ŕ'}, {0xAB, u'Ŕ'}, {0xAC, u'¼'}, {0xAD, u'§'}, {0xAE, u'«'}, {0xAF, u'»'},
};

} // namespace

bool isSingleByteCodePage(int codePage)
{
    static const std::set<int> known = {437, 620, 737, 775, 850, 852, 855, 857, 858, 860, 861, 862, 863, 864, 865,
                                        866, 869, 874, 895, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
    return known.count(codePage) > 0;
}

const SingleByteCodec &codecForCodePage(int codePage)
{
    static std::map<int, std::unique_ptr<SingleByteCodec>> codecs;
    auto it = codecs.find(codePage);
    if (it != codecs.end())
        return *it->second;
    std::unique_ptr<SingleByteCodec> codec;
    const QByteArray name = (codePage >= 1250 && codePage <= 1258 ? "WINDOWS-" : "CP") + QByteArray::number(codePage);
    try {
        if (codePage == 620 || codePage == 895)
            codec = std::make_unique<SingleByteCodec>(codePage == 620 ? "MAZOVIA" : "KAMENICKY", "CP437",
                                                      codePage == 620 ? kMazovia : kKamenicky);
        else
            codec = std::make_unique<SingleByteCodec>(name.constData());
    } catch (const std::runtime_error &) {
        return codePage == 1252 ? cp1250::codec() : codecForCodePage(1252);
    }
    return *codecs.emplace(codePage, std::move(codec)).first->second;
}
