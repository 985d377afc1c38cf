#include "platform/RegionalSettings.h"
#include "support/TestSupport.h"

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
