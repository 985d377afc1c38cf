#include "query/StatementText.h"
#include "support/TestSupport.h"

TEST(StatementText, MarkerLinesNameTheirQueryAndExportName)
{
    struct Case {
        const char *line;
        bool marker;
        bool exports;
        const char *title;
        const char *exportName;
    };
    const Case cases[] = {
        {"+_DAJKURSY;", true, true, "_DAJKURSY", "KURSY"},
        {"+_DAJKURSY", true, true, "_DAJKURS", "KURS"},
        {"+_dajKursy;", true, true, "_dajKursy", "Kursy"},
        {"+_LICPOD;", true, false, "_LICPOD", "POD"},
        {" +_DAJX;", false, false, "", ""},
        {"+_DA", false, false, "", ""},
        {"SELECT 1", false, false, "", ""},
    };
    for (const Case &c : cases) {
        const QString line = QString::fromUtf8(c.line);
        EXPECT_EQ(isMarkerLine(line), c.marker) << c.line;
        EXPECT_EQ(isExportMarkerLine(line), c.exports) << c.line;
        if (c.marker) {
            EXPECT_EQ(markerTitle(line), QString::fromUtf8(c.title)) << c.line;
            EXPECT_EQ(markerExportName(line), QString::fromUtf8(c.exportName)) << c.line;
        }
    }
}

TEST(StatementText, TextsAreJoinedWithCrLfAndMarkerLinesDropped)
{
    EXPECT_EQ(joinLines({"SELECT 1", "FROM t"}), QStringLiteral("SELECT 1\r\nFROM t\r\n"));
    EXPECT_EQ(joinLines({}), QString());
    EXPECT_EQ(withoutMarkerLines({"+_LICA;", "SELECT 1", "+_daja;", "  +_DAJB;"}), (QStringList{"SELECT 1", "  +_DAJB;"}));
}

TEST(StatementText, DajTitlesExportUnderTheRestOfTheirTitle)
{
    EXPECT_EQ(exportNameOf(QStringLiteral("_DAJRaport")), QStringLiteral("Raport"));
    EXPECT_EQ(exportNameOf(QStringLiteral("_dajwynik.xls")), QStringLiteral("wynik.xls"));
    EXPECT_EQ(exportNameOf(QStringLiteral("Raport _DAJ")), QString());
}
