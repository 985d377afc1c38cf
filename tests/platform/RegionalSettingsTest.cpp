#include "platform/RegionalSettings.h"
#include "support/TestSupport.h"

#include <QLocale>

TEST(RegionalSettings, PolishWhenTheSystemHasNoLocale)
{
    // The tests run under LC_ALL=C.UTF-8.
    const RegionalSettings s = RegionalSettings::fromSystem();
    EXPECT_EQ(s.decimalSeparator, QLatin1Char(','));
    EXPECT_EQ(s.shortDateFormat, QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(s.longTimeFormat, QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(s.countryNumber, 48);
}

TEST(RegionalSettings, FormatsAndParsesDates)
{
    const RegionalSettings s = RegionalSettings::polish();
    EXPECT_EQ(s.formatShortDate(QDate(2004, 3, 5)), QStringLiteral("05.03.2004"));
    EXPECT_EQ(s.formatDateTime(QDateTime(QDate(2004, 3, 5), QTime(7, 8, 9))), QStringLiteral("05.03.2004 07:08:09"));
    EXPECT_EQ(s.formatDateTime(QDateTime(QDate(2004, 3, 5), QTime(0, 0))), QStringLiteral("05.03.2004"));
    EXPECT_EQ(s.parseShortDate("05.03.2004"), QDate(2004, 3, 5));
    EXPECT_EQ(s.parseShortDate("5.3.2004"), QDate(2004, 3, 5));
    EXPECT_FALSE(s.parseShortDate("2004-03-05").isValid());
    EXPECT_FALSE(s.parseShortDate("31.02.2004").isValid());
}

TEST(RegionalSettings, ShortDatesOfEveryLocaleKeepTheirCentury)
{
    struct Case {
        const char *locale;
        const char *format;
        const char *shown;
    };
    const Case cases[] = {
        {"en_US", "M/d/yyyy", "3/5/2004"},
        {"de_DE", "dd.MM.yyyy", "05.03.2004"},
        {"pl_PL", "d.MM.yyyy", "5.03.2004"},
    };
    for (const Case &c : cases) {
        const RegionalSettings s = RegionalSettings::of(QLocale(QString::fromLatin1(c.locale)));
        EXPECT_EQ(s.shortDateFormat, QString::fromLatin1(c.format)) << c.locale;
        EXPECT_EQ(s.formatShortDate(QDate(2004, 3, 5)), QString::fromLatin1(c.shown)) << c.locale;
        EXPECT_EQ(s.parseShortDate(QString::fromLatin1(c.shown)), QDate(2004, 3, 5)) << c.locale;
    }
}

TEST(RegionalSettings, TwoDigitYearsTypedByHandFallIn1930To2029)
{
    const RegionalSettings s = RegionalSettings::polish();
    EXPECT_EQ(s.parseShortDate("05.03.04"), QDate(2004, 3, 5));
    EXPECT_EQ(s.parseShortDate("5.3.29"), QDate(2029, 3, 5));
    EXPECT_EQ(s.parseShortDate("05.03.30"), QDate(1930, 3, 5));
    EXPECT_EQ(s.parseShortDate("05.03.1904"), QDate(1904, 3, 5));
}
