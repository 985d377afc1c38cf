#include "QueryPrompts.h"

#include "db/Query.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

namespace {

bool startsWith(const QString &name, const char *prefix)
{
    return name.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

ParameterKind ParameterKind::of(const QString &name)
{
    if (name.compare(QLatin1String("DATE"), Qt::CaseInsensitive) == 0)
        return {Today, name, QString()};
    if (startsWith(name, "DATA"))
        return {Date, name.mid(4), name};
    if (startsWith(name, "STR"))
        return {Text, name.mid(3), name.mid(3) + QStringLiteral(" (Tekst)")};
    return {Number, name, name + QStringLiteral(" (Liczba)")};
}

bool hasDateMarker(const QString &text)
{
    return text.contains(QLatin1String("dd")) || text.contains(QLatin1String("mm")) || text.contains(QLatin1String("rr"));
}

QueryPrompts::QueryPrompts(ParameterPrompts &prompts, QString catalogueDirectory)
    : m_prompts(prompts), m_directory(paths::ensureTrailingSeparator(catalogueDirectory))
{
}

void QueryPrompts::beginRun()
{
    m_summary.clear();
    m_askDate = true;
}

void QueryPrompts::podajParametry(Query &query)
{
    wstawKatalog(query);
    for (int i = 0; i < query.paramCount(); ++i) {
        Param &param = query.param(i);
        fill(param);
        m_summary += QStringLiteral("  ") + ParameterKind::of(param.name()).label + QLatin1Char('=') + param.asString();
    }
}

void QueryPrompts::fill(Param &param)
{
    const ParameterKind kind = ParameterKind::of(param.name());
    switch (kind.kind) {
    case ParameterKind::Today:
        param.setAsDate(QDate::currentDate());
        break;
    case ParameterKind::Date:
        param.setAsDate(zapytajDate(kind.prompt, QDate(), param.name()));
        break;
    case ParameterKind::Text:
        param.setAsString(m_prompts.askText(param.name(), kind.prompt).value_or(QString()));
        break;
    case ParameterKind::Number: {
        const QString zero = QStringLiteral("0");
        param.setAsFloat(numbers::parseFloat(m_prompts.askNumber(param.name(), kind.prompt, zero).value_or(zero)));
        break;
    }
    }
}

void QueryPrompts::wstawKatalog(Query &query) const
{
    SqlLines &sql = query.sql();
    sql.beginUpdate();
    for (int i = 0; i < sql.count(); ++i) {
        if (sql.at(i).contains(QLatin1String("..")))
            sql.replace(i, wstawKatalog(sql.at(i)));
    }
    sql.endUpdate();
}

QString QueryPrompts::wstawKatalog(QString line) const
{
    return line.replace(QLatin1String(".."), m_directory);
}

bool QueryPrompts::ustalDate(const QString &text)
{
    if (!hasDateMarker(text))
        return false;
    // A run asks once; so does anything needing the date before any date was given.
    if (m_askDate || !m_markerDate.isValid()) {
        m_markerDate = zapytajDate(QStringLiteral("Podaj datę"), m_markerDate);
        m_askDate = false;
    }
    const QDate &date = m_markerDate;
    m_day = twoDigits(date.day());
    m_month = twoDigits(date.month());
    m_year = QString::number(date.year());
    m_shortYear = m_year.mid(2, 2);
    return true;
}

QString QueryPrompts::wstawDate(QString text) const
{
    text.replace(QLatin1String("mm"), m_month);
    text.replace(QLatin1String("dd"), m_day);
    text.replace(QLatin1String("rrrr"), m_year);
    text.replace(QLatin1String("rr"), m_shortYear);
    return text;
}

QDate QueryPrompts::zapytajDate(const QString &description, const QDate &initial, const QString &parameter)
{
    const std::optional<QDate> date = m_prompts.askDate(parameter, description, initial);
    // No statement runs with a date the user never gave.
    if (!date || !date->isValid())
        throw EAbort();
    return *date;
}
