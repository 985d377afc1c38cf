#include "RunState.h"

#include "StatementText.h"

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

RunState::RunState(Prompter &prompter, QString catalogueDirectory)
    : m_prompter(prompter), m_directory(paths::ensureTrailingSeparator(catalogueDirectory))
{
}

void RunState::beginRun()
{
    m_summary.clear();
    m_askDate = true;
}

std::optional<QStringList> RunState::prepare(QStringList lines)
{
    lines = withoutMarkerLines(std::move(lines));
    const QString text = joinLines(lines);
    if (text.size() < kStatementLength)
        return std::nullopt;
    if (ustalDate(text)) {
        for (QString &line : lines)
            line = wstawDate(line);
    }
    return lines;
}

void RunState::podajParametry(Query &query)
{
    wstawKatalog(query);
    for (int i = 0; i < query.paramCount(); ++i) {
        Param &param = query.param(i);
        param.setValue(askValue(param.name()));
        m_summary += QStringLiteral("  ") + ParameterKind::of(param.name()).label + QLatin1Char('=') + param.asString();
    }
}

void RunState::askParameters(const QStringList &preparedLines)
{
    QStringList folderMarked;
    for (const QString &line : preparedLines)
        folderMarked.append(wstawKatalog(line));
    QStringList names;
    parseParameters(joinLines(folderMarked), names);
    names.removeDuplicates();
    for (const QString &name : names)
        askValue(name);
}

QVariant RunState::askValue(const QString &name)
{
    const ParameterKind kind = ParameterKind::of(name);
    switch (kind.kind) {
    case ParameterKind::Today:
        return QDate::currentDate();
    case ParameterKind::Date:
        return zapytajDate(kind.prompt, QDate(), name);
    case ParameterKind::Text:
        return m_prompter.askText(name, kind.prompt).value_or(QString());
    case ParameterKind::Number: {
        const QString zero = QStringLiteral("0");
        return numbers::parseFloat(m_prompter.askNumber(name, kind.prompt, zero).value_or(zero));
    }
    }
    return {};
}

void RunState::wstawKatalog(Query &query) const
{
    SqlLines &sql = query.sql();
    sql.beginUpdate();
    for (int i = 0; i < sql.count(); ++i) {
        if (sql.at(i).contains(QLatin1String("..")))
            sql.replace(i, wstawKatalog(sql.at(i)));
    }
    sql.endUpdate();
}

QString RunState::wstawKatalog(QString line) const
{
    return line.replace(QLatin1String(".."), m_directory);
}

bool RunState::ustalDate(const QString &text, DatePlace place)
{
    if (!hasDateMarker(text))
        return false;
    m_dateText = text;
    m_datePlace = place;
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

QString RunState::wstawDate(QString text) const
{
    text.replace(QLatin1String("mm"), m_month);
    text.replace(QLatin1String("dd"), m_day);
    text.replace(QLatin1String("rrrr"), m_year);
    text.replace(QLatin1String("rr"), m_shortYear);
    return text;
}

QDate RunState::zapytajDate(const QString &description, const QDate &initial, const QString &parameter)
{
    const std::optional<QDate> date = m_prompter.askDate(parameter, description, initial);
    // No statement runs with a date the user never gave.
    if (!date || !date->isValid())
        throw EAbort();
    return *date;
}
