#pragma once

#include "Prompter.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class Query;

// Where a text with date markers comes from, so that a front-end that cannot ask can say which.
enum class DatePlace { Statement, ReportTitle, ExportName };

// The state a run keeps between its statements, and the rules that fill a statement in before it
// runs: the marker date that replaces "dd", "mm", "rr" and "rrrr" in statements, titles and file
// names (asked at most once per run), the parameter values and their summary, and the folder
// marker "..". Kept for the program's life.
class RunState {
public:
    RunState(Prompter &prompter, QString catalogueDirectory);

    // A new run: the summary empties and the next need of the marker date asks for it.
    void beginRun();
    const QString &summary() const { return m_summary; }
    // The last marker date given; invalid before the first.
    const QDate &markerDate() const { return m_markerDate; }

    // A statement's lines made ready to run: marker lines dropped and date markers replaced;
    // nothing when the joined text is too short to run.
    std::optional<QStringList> prepare(QStringList lines);
    // Replaces the folder marker in the statement lines, then asks for every parameter in order.
    // EConvertError for a number that does not convert; EAbort when the date dialog was closed
    // without OK.
    void podajParametry(Query &query);
    // Asks every question that filling in the prepared lines would ask, and converts the answers,
    // without running anything or changing the summary.
    void askParameters(const QStringList &preparedLines);
    void wstawKatalog(Query &query) const;
    QString wstawKatalog(QString line) const;

    // False when the text holds no date marker; otherwise makes the marker date ready (asking for
    // it when the run has not yet, or when no date was ever given) and returns true.
    bool ustalDate(const QString &text, DatePlace place = DatePlace::Statement);
    // The text whose markers are being settled, and where it comes from.
    const QString &dateText() const { return m_dateText; }
    DatePlace datePlace() const { return m_datePlace; }
    // The text with every date marker replaced by the prepared parts of the marker date.
    QString wstawDate(QString text) const;
    // The date dialog with its default (today when invalid); EAbort when it was closed without OK.
    // The parameter asked for is empty for the marker date.
    QDate zapytajDate(const QString &description, const QDate &initial, const QString &parameter = {});

private:
    // The value of a parameter as its kind asks for it: a date, a text or a number.
    QVariant askValue(const QString &name);

    Prompter &m_prompter;
    QString m_directory;
    bool m_askDate = false;
    // Kept as a date: a round trip through a short date text may lose the century.
    QDate m_markerDate;
    QString m_day, m_month, m_year, m_shortYear;
    QString m_summary;
    QString m_dateText;
    DatePlace m_datePlace = DatePlace::Statement;
};

// Whether the text holds "dd", "mm" or "rr" (lower case, anywhere).
bool hasDateMarker(const QString &text);
