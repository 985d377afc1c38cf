#include "CodePage.h"

#include "Errors.h"

#include <array>
#include <iconv.h>
#include <stdexcept>

namespace cp1250 {
namespace {

// Both directions come from one 256-entry table built with iconv when first needed.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    std::array<unsigned char, 0x10000> fromUnicode{};
    std::array<bool, 0x10000> encodable{};

    Tables()
    {
        iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1250");
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert from WINDOWS-1250");
        for (int b = 0; b < 256; ++b) {
            char in = static_cast<char>(b);
            char out[4] = {};
            char *inPtr = &in;
            char *outPtr = out;
            size_t inLeft = 1, outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)
                && outLeft == 2;
            const char16_t ch = ok ? static_cast<char16_t>(static_cast<unsigned char>(out[0])
                                                           | static_cast<unsigned char>(out[1]) << 8)
                                   : static_cast<char16_t>(b);
            toUnicode[b] = ch;
            fromUnicode[ch] = static_cast<unsigned char>(b);
            encodable[ch] = true;
        }
        iconv_close(cd);
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

bool isHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch < 0xDC00; }
bool isLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch < 0xE000; }

} // namespace

QString decode(const char *bytes, int length)
{
    const Tables &t = tables();
    QString text(length, Qt::Uninitialized);
    QChar *out = text.data();
    for (int i = 0; i < length; ++i)
        out[i] = QChar(t.toUnicode[static_cast<unsigned char>(bytes[i])]);
    return text;
}

QString decode(const QByteArray &bytes)
{
    return decode(bytes.constData(), static_cast<int>(bytes.size()));
}

bool encodeChar(char16_t ch, unsigned char &byte)
{
    const Tables &t = tables();
    if (!t.encodable[ch])
        return false;
    byte = t.fromUnicode[ch];
    return true;
}

QByteArray encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        unsigned char byte;
        if (encodeChar(p[i], byte)) {
            bytes.append(static_cast<char>(byte));
            continue;
        }
        bytes.append('?');
        if (isHighSurrogate(p[i]) && i + 1 < n && isLowSurrogate(p[i + 1]))
            ++i;
    }
    return bytes;
}

QString firstUnencodable(const QString &text)
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

bool canEncode(const QString &text)
{
    return firstUnencodable(text).isEmpty();
}

QByteArray encodeStrict(const QString &text)
{
    const QString bad = firstUnencodable(text);
    if (!bad.isEmpty()) {
        const uint code = bad.size() == 2 ? QChar::surrogateToUcs4(bad.at(0), bad.at(1)) : bad.at(0).unicode();
        const QString hex = QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0'));
        throw EConvertError(QStringLiteral("Znak \"%1\" (U+%2) nie istnieje w stronie kodowej Windows-1250")
                                .arg(bad, hex));
    }
    return encode(text);
}

} // namespace cp1250
