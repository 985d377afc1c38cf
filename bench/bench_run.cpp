// A stored query with two preliminary queries over 100,000-row dBASE files, run the way "&Wykonaj"
// runs it (catalogue, text files, markers, prompts, history log), against the same three
// statements run on the engine directly. Also the cost of the grid's amount text for a screenful
// of a 1,000,000-row result.
#include "db/Database.h"
#include "db/Query.h"
#include "db/TableFile.h"
#include "platform/RegionalSettings.h"
#include "platform/TextFile.h"
#include "query/NumberText.h"
#include "query/Prompter.h"
#include "session/Session.h"
#include "session/SessionEvents.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const int kRows = 100000;

void writeTables(const QDir &dir)
{
    int i = 0;
    TableFile::create(dir.filePath("klienci.dbf"),
                      {{"NR", FieldType::ftInteger, 8, 0}, {"NAZWA", FieldType::ftString, 30, 0},
                       {"MIASTO", FieldType::ftString, 20, 0}},
                      [&](Row &row) {
                          if (i >= kRows)
                              return false;
                          row = {Cell::integer(i), Cell::text(QStringLiteral("Klient %1").arg(i).toUtf8()),
                                 Cell::text(i % 2 ? "Łódź" : "Kraków")};
                          return ++i, true;
                      });
    i = 0;
    TableFile::create(dir.filePath("faktury.dbf"),
                      {{"NUMER", FieldType::ftString, 16, 0}, {"KLIENT", FieldType::ftInteger, 8, 0},
                       {"NETTO", FieldType::ftFloat, 12, 2}},
                      [&](Row &row) {
                          if (i >= kRows)
                              return false;
                          row = {Cell::text(QStringLiteral("FV/%1").arg(i).toUtf8()), Cell::integer((i * 7) % kRows),
                                 Cell::real(i * 1.25)};
                          return ++i, true;
                      });
}

const QStringList kFirst = {"SELECT MIASTO, COUNT(*) AS ILE FROM \"klienci.dbf\" GROUP BY MIASTO"};
const QStringList kSecond = {"SELECT KLIENT, SUM(NETTO) AS NETTO FROM \"faktury.dbf\" WHERE NETTO > :KWOTA",
                             " GROUP BY KLIENT"};
const QStringList kMain = {"SELECT K.NAZWA, F.NUMER, F.NETTO FROM \"faktury.dbf\" F",
                           "  JOIN \"klienci.dbf\" K ON K.NR = F.KLIENT WHERE K.MIASTO = :STRMIASTO"};

class Answers : public Prompter {
public:
    std::optional<QDate> askDate(const QString &, const QString &, const QDate &) override { return QDate(2024, 1, 1); }
    std::optional<QString> askText(const QString &, const QString &) override { return QStringLiteral("Łódź"); }
    std::optional<QString> askNumber(const QString &, const QString &, const QString &) override
    {
        return QStringLiteral("1000");
    }
    std::optional<QString> askExportName(const QString &name) override { return name; }
};

class Events : public QuietEvents {
public:
    void errorMessage(const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

double runStored(const QDir &dir)
{
    Answers answers;
    Events events;
    Session session(dir.filePath("sqls.ini"), answers, events);
    QElapsedTimer timer;
    timer.start();
    session.runTitle(QStringLiteral("Raport"));
    return timer.nsecsElapsed() / 1e9;
}

double runDirect()
{
    Database database;
    Query result(database);
    QElapsedTimer timer;
    timer.start();
    for (const QStringList &sql : {kFirst, kSecond, kMain}) {
        result.close();
        result.sql().assign(sql);
        for (int i = 0; i < result.paramCount(); ++i) {
            Param &p = result.param(i);
            if (p.name().startsWith(QLatin1String("STR")))
                p.setAsString(QStringLiteral("Łódź"));
            else
                p.setAsFloat(1000);
        }
        result.open();
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    RegionalSettings::set(RegionalSettings::polish());
    QTemporaryDir temporary;
    const QDir dir(temporary.path());
    QDir::setCurrent(dir.path());
    writeTables(dir);
    textfile::writeLines(dir.filePath("a.sql"), kFirst);
    textfile::writeLines(dir.filePath("b.sql"), kSecond);
    textfile::writeLines(dir.filePath("c.sql"), QStringList{"+_LICA;", "+_LICB;"} + kMain);
    textfile::writeLines(dir.filePath("sqls.ini"), {"[FILES]", "_LICA=a.sql", "_LICB=b.sql", "Raport=c.sql"});

    // Alternating trials, each on a fresh engine (the files imported again), best of five.
    double stored = 1e9, direct = 1e9;
    for (int trial = 0; trial < 5; ++trial) {
        direct = std::min(direct, runDirect());
        stored = std::min(stored, runStored(dir));
    }
    std::printf("stored query with two preliminary queries over %d-row files: %.3f s, the three statements on the "
                "engine: %.3f s, ratio %.3f (target <= 1.05)\n",
                kRows, stored, direct, stored / direct);

    // The grid draws a screenful: 40 rows of a floating-point column, anywhere in a large result.
    Database database;
    Query big(database);
    big.sql().assign({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000)",
                      "SELECT i * 1.25 AS KWOTA FROM n"});
    big.open();
    const Field *field = big.field(0);
    QElapsedTimer timer;
    timer.start();
    qsizetype chars = 0;
    const int screens = 1000;
    for (int s = 0; s < screens; ++s) {
        const int top = static_cast<int>((static_cast<qint64>(s) * 7919 * 40) % (big.recordCount() - 40));
        for (int r = top; r < top + 40; ++r)
            chars += tekstLiczby(*field, big.rowOf(r)).size();
    }
    const double perScreen = timer.nsecsElapsed() / 1e3 / screens;
    timer.restart();
    for (int s = 0; s < screens; ++s) {
        const int top = static_cast<int>((static_cast<qint64>(s) * 7919 * 40) % (big.recordCount() - 40));
        for (int r = top; r < top + 40; ++r)
            chars += field->asStringAt(big.rowOf(r)).size();
    }
    const double plain = timer.nsecsElapsed() / 1e3 / screens;
    std::printf("amount text for a screenful (40 cells) of a %d-row result: %.1f us, plain text %.1f us, ratio %.2f "
                "(a frame is 16,000 us) [%lld]\n",
                big.recordCount(), perScreen, plain, perScreen / plain, static_cast<long long>(chars % 10));
    return 0;
}
