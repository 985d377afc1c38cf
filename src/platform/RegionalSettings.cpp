#include "RegionalSettings.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

// International dialling codes of the territories the program is likely to meet.
int countryNumberOf(QLocale::Territory territory)
{
    switch (territory) {
    case QLocale::Poland: return 48;
    case QLocale::UnitedStates: case QLocale::Canada: return 1;
    case QLocale::UnitedKingdom: return 44;
    case QLocale::Germany: return 49;
    case QLocale::France: return 33;
    case QLocale::Italy: return 39;
    case QLocale::Spain: return 34;
    case QLocale::Netherlands: return 31;
    case QLocale::Belgium: return 32;
    case QLocale::Austria: return 43;
    case QLocale::Switzerland: return 41;
    case QLocale::CzechRepublic: return 420;
    case QLocale::Slovakia: return 421;
    case QLocale::Hungary: return 36;
    case QLocale::Ukraine: return 380;
    case QLocale::Lithuania: return 370;
    case QLocale::Russia: return 7;
    default: return 1;
    }
}

// "yy" (exactly two) becomes "yyyy", as the desktop systems do for their short date.
QString withFourDigitYears(const QString &format)
{
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    return QString(format).replace(twoDigitYear, QStringLiteral("yyyy"));
}

RegionalSettings &currentSettings()
{
    static RegionalSettings settings = RegionalSettings::fromSystem();
    return settings;
}

} // namespace

RegionalSettings RegionalSettings::polish()
{
    return RegionalSettings{};
}

RegionalSettings RegionalSettings::fromSystem()
{
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? polish() : of(system);
}

RegionalSettings RegionalSettings::of(const QLocale &locale)
{
    RegionalSettings settings;
    settings.decimalSeparator = locale.decimalPoint().at(0);
    settings.shortDateFormat = withFourDigitYears(locale.dateFormat(QLocale::ShortFormat));
    settings.longTimeFormat = locale.timeFormat(QLocale::LongFormat);
    // Qt's long time form may name the time zone; a log line and a grid cell want the clock only.
    settings.longTimeFormat.remove(QLatin1Char('t')).replace(QLatin1String("  "), QLatin1String(" "));
    settings.longTimeFormat = settings.longTimeFormat.trimmed();
    settings.countryNumber = countryNumberOf(locale.territory());
    return settings;
}

const RegionalSettings &RegionalSettings::current()
{
    return currentSettings();
}

void RegionalSettings::set(const RegionalSettings &settings)
{
    currentSettings() = settings;
}

QString RegionalSettings::formatShortDate(const QDate &date) const
{
    return QLocale::c().toString(date, shortDateFormat);
}

QString RegionalSettings::formatLongTime(const QTime &time) const
{
    return QLocale::c().toString(time, longTimeFormat);
}

QString RegionalSettings::formatDateTime(const QDateTime &dateTime) const
{
    QString text = formatShortDate(dateTime.date());
    if (dateTime.time() != QTime(0, 0))
        text += QLatin1Char(' ') + formatLongTime(dateTime.time());
    return text;
}

QDate RegionalSettings::parseShortDate(const QString &text) const
{
    const QString trimmed = text.trimmed();
    // Users type single-digit days and months; the form's separators stay the same.
    QString lenient = shortDateFormat;
    lenient.replace(QLatin1String("dd"), QLatin1String("d")).replace(QLatin1String("MM"), QLatin1String("M"));
    for (const QString &format : {shortDateFormat, lenient}) {
        const QDate date = QLocale::c().toDate(trimmed, format);
        if (date.isValid())
            return date;
    }
    // A year typed with two digits falls in 1930-2029, the desktop's default century window.
    const QDate date = QLocale::c().toDate(trimmed, lenient.replace(QLatin1String("yyyy"), QLatin1String("yy")));
    return date.isValid() && date.year() < 1930 ? date.addYears(100) : date;
}
