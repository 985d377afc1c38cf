#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "support/TestSupport.h"

TEST(CodePage, PolishLettersHaveTheirWindows1250Bytes)
{
    const QString text = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ€„”–");
    const QByteArray bytes("\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\x80\x84\x94\x96");
    EXPECT_EQ(cp1250::encode(text), bytes);
    EXPECT_EQ(cp1250::decode(bytes), text);
}

TEST(CodePage, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = cp1250::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(cp1250::encode(text), all);
    // The undefined byte values read as the C1 controls of the same value.
    EXPECT_EQ(text.at(0x81).unicode(), 0x81);
    EXPECT_EQ(text.at(0x98).unicode(), 0x98);
}

TEST(CodePage, CharactersOutsideTheCodePage)
{
    const QString text = QStringLiteral("a日b") + QString::fromUcs4(U"😀") + QStringLiteral("c");
    EXPECT_EQ(cp1250::encode(text), QByteArray("a?b?c"));
    EXPECT_FALSE(cp1250::canEncode(text));
    EXPECT_EQ(cp1250::firstUnencodable(text), QStringLiteral("日"));
    EXPECT_TRUE(cp1250::canEncode(QStringLiteral("Łódź")));
    try {
        cp1250::encodeStrict(QStringLiteral("x") + QString::fromUcs4(U"😀"));
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("U+1F600"))) << e.what();
    }
}
