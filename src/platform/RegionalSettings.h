#pragma once

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

class QLocale;

// The user's regional settings as the program sees them: decimal separator, short date and
// long time forms (Qt format strings) and the country number (international dialling code).
struct RegionalSettings {
    QChar decimalSeparator = QLatin1Char(',');
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy");
    QString longTimeFormat = QStringLiteral("HH:mm:ss");
    int countryNumber = 48;

    static RegionalSettings polish();
    // Taken from the system locale; Polish when the system has none (C/POSIX).
    static RegionalSettings fromSystem();
    // Taken from a locale. A two-digit year of its short date form is widened to four digits, so
    // that no date the program writes or reads loses its century.
    static RegionalSettings of(const QLocale &locale);

    // The settings in force; fromSystem() until set() replaces them (tests do).
    static const RegionalSettings &current();
    static void set(const RegionalSettings &settings);

    QString formatShortDate(const QDate &date) const;
    QString formatLongTime(const QTime &time) const;
    // Short date, a blank and the long time; the time is left out at exactly midnight.
    QString formatDateTime(const QDateTime &dateTime) const;
    // Parses a date in the short date form; an invalid QDate when it does not convert.
    QDate parseShortDate(const QString &text) const;
};
