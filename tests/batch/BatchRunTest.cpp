// kwerix-batch run and sql, end to end on a copy of the demo catalogue.
#include "catalogue/QueryCatalogue.h"
#include "platform/CodePage.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

#include <memory>
#include <unistd.h>
#include <vector>

using testsupport::cp;
using testsupport::readBytes;

namespace {

class Batch : public testsupport::PolishTest {
protected:
    void SetUp() override
    {
        PolishTest::SetUp();
        const QDir demo(QStringLiteral(KWERIX_SOURCE_DIR "/examples/demo"));
        for (const QString &name : demo.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(demo.filePath(name), path(name)));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KWERIX_BATCH), path(QStringLiteral("kwerix-batch"))));
    }

    // Runs the program beside the catalogue; standard output and error go to out and err.
    int batch(const QStringList &arguments, const QString &locale = QString())
    {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        // As a scheduled job on a server: no display and no platform chosen.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!locale.isEmpty())
            environment.insert(QStringLiteral("LC_ALL"), locale);
        for (auto it = variables.cbegin(); it != variables.cend(); ++it)
            environment.insert(it.key(), it.value());
        process.setProcessEnvironment(environment);
        process.start(program.isEmpty() ? path(QStringLiteral("kwerix-batch")) : program, arguments);
        process.waitForFinished(-1);
        out = process.readAllStandardOutput();
        err = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QList<QByteArray> rows() const { return out.split('\n').mid(1, out.count('\n') - 1); }
    // Adds a query to the catalogue.
    void saveEntry(const QString &title, const QString &sql)
    {
        QueryCatalogue catalogue(path(QStringLiteral("sqls.ini")));
        EntryForm form;
        form.title = title;
        form.sql = QStringList{sql};
        form.fontSizeText = QStringLiteral("8");
        form.rowHeightText = QStringLiteral("4,5");
        catalogue.saveEntry(form);
    }
    QByteArray history() const { return readBytes(path(QStringLiteral("sqlhist.txt"))); }

    QByteArray out;
    QString err;
    // Another copy of the program to run, and variables to set.
    QString program;
    QMap<QString, QString> variables;
};

TEST_F(Batch, RunPrintsTheResultInWindows1250WithSemicolons)
{
    ASSERT_EQ(batch({"run", "Klienci według miast"}), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(cp("NR;NAZWA;MIASTO;NIP;KLIENT_OD;\r\n"
                                  "6;Mleczarnia Gąsiorowska;Białystok;542-020-88-35;04.04.2011;\r\n")));
    // The inactive customer is left out.
    EXPECT_EQ(rows().size(), 11);
    EXPECT_FALSE(out.contains(cp("Wiślana")));
    const QList<QByteArray> lines = history().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(cp("....Klienci według miast\r")));
    EXPECT_TRUE(err.isEmpty());
}

TEST_F(Batch, ParametersAreAnsweredByNameWithoutRegardToCase)
{
    ASSERT_EQ(batch({"run", "Faktury z okresu", "--param", "dataOd=2026-01-01", "--param", "DATADO=31.01.2026"}), 0)
        << err.toStdString();
    ASSERT_FALSE(rows().isEmpty());
    for (const QByteArray &row : rows())
        EXPECT_TRUE(row.split(';')[1].endsWith(".01.2026")) << row.toStdString();

    ASSERT_EQ(batch({"run", "Faktury klienta", "--param", "strnazwa=hurt"}), 0) << err.toStdString();
    ASSERT_FALSE(rows().isEmpty());
    for (const QByteArray &row : rows())
        EXPECT_TRUE(row.contains(cp("Hurtownia Żuraw"))) << row.toStdString();

    ASSERT_EQ(batch({"run", "Faktury powyżej kwoty", "--param", "KWOTA=47500,5"}), 0) << err.toStdString();
    ASSERT_FALSE(rows().isEmpty());
    for (const QByteArray &row : rows())
        EXPECT_GE(QString::fromLatin1(row.split(';')[4]).replace(',', '.').toDouble(), 47500.5) << row.toStdString();
}

TEST_F(Batch, MarkerDatesComeFromTheDateOption)
{
    ASSERT_EQ(batch({"run", "Sprzedaż w miesiącu mm.rrrr", "--date", "2026-03-05"}), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("NAZWA;FAKTURY;NETTO;VAT;\r\n"));
    EXPECT_FALSE(rows().isEmpty());
}

TEST_F(Batch, MarkerDatesKeepTheirCenturyUnderEveryLocale)
{
    QueryCatalogue catalogue(path(QStringLiteral("sqls.ini")));
    const auto save = [&](const QString &title, const QStringList &sql) {
        EntryForm form;
        form.title = title;
        form.sql = sql;
        form.fontSizeText = QStringLiteral("8");
        form.rowHeightText = QStringLiteral("4,5");
        catalogue.saveEntry(form);
    };
    // The preliminary query asks for the date; the query itself reuses it.
    save(QStringLiteral("_LICROK"), {QStringLiteral("SELECT 'rrrr' AS R")});
    save(QStringLiteral("Data raportu"), {QStringLiteral("+_LICROK;"), QStringLiteral("SELECT 'dd.mm.rrrr' AS D")});
    for (const char *locale : {"pl_PL.UTF-8", "de_DE.UTF-8", "en_US.UTF-8"}) {
        ASSERT_EQ(batch({"run", "Data raportu", "--date", "2004-03-05"}, QString::fromLatin1(locale)), 0)
            << err.toStdString();
        EXPECT_EQ(out, QByteArray("D;\r\n05.03.2004;\r\n")) << locale;
    }
}

TEST_F(Batch, UnansweredOrBadAnswersRunNothing)
{
    struct Case {
        QStringList arguments;
        const char *error;
    };
    const Case cases[] = {
        {{"run", "Faktury powyżej kwoty"}, "Brak wartości parametru KWOTA: podaj --param KWOTA=WARTOŚĆ.\n"},
        {{"run", "Faktury powyżej kwoty", "--param", "KWOTA=dużo"}, "'dużo' is not a valid floating point value.\n"},
        {{"run", "Faktury z okresu", "--param", "dataOd=2026-13-01", "--param", "dataDo=2026-01-31"},
         "'2026-13-01' nie jest poprawną datą (dataOd)\n"},
        {{"run", "Sprzedaż w miesiącu mm.rrrr"}, "Zapytanie zawiera znaczniki daty: podaj --date DATA.\n"},
        {{"run", "Klienci według miast", "--export", "klienci_mm.txt"},
         "Nazwa pliku \"klienci_mm.txt\" zawiera znaczniki daty: podaj --date DATA.\n"},
        {{"run", "Nie ma takiego"}, "Brak pliku z treścią SQL Nie ma takiego\n"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(batch(c.arguments), 1) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(err, QString::fromUtf8(c.error));
        EXPECT_TRUE(out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("sqlhist.txt"))));
}

TEST_F(Batch, SqlRunsAFileAsTestingDoesAndQuotesLikeTheExports)
{
    testsupport::writeBytes(path(QStringLiteral("q.sql")), cp("SELECT 'a;b' AS T, 'c\"d' AS U,\r\n  'ż' AS \"Ź\"\r\n"));
    ASSERT_EQ(batch({"sql", "q.sql"}), 0) << err.toStdString();
    EXPECT_EQ(out, cp("T;U;Ź;\r\n\"a;b\";\"c\"\"d\";ż;\r\n"));
    EXPECT_TRUE(history().startsWith("          ") && history().contains("....\r\n"));

    testsupport::writeBytes(path(QStringLiteral("zla.sql")), "SELECT * FROM nie_ma\r\n");
    EXPECT_EQ(batch({"sql", "zla.sql"}), 1);
    EXPECT_EQ(err, QStringLiteral("no such table: nie_ma.\n"));
    // The start line of the failed statement stays without its end line.
    EXPECT_EQ(history().count("\r\n"), 3);
}

TEST_F(Batch, SqlSortsAndComparesTheTextsOfTablesInThePolishOrder)
{
    // Łeba and Łódź between Lublin and Poznań, not after Zakopane.
    testsupport::writeBytes(path(QStringLiteral("q.sql")),
                            "SELECT MIASTO, count(*) AS ILE FROM \"klienci.dbf\" GROUP BY MIASTO ORDER BY MIASTO DESC\r\n");
    ASSERT_EQ(batch({"sql", "q.sql"}), 0) << err.toStdString();
    QStringList cities;
    for (const QByteArray &row : rows())
        cities.append(cp1250::decode(row).section(QLatin1Char(';'), 0, 0));
    EXPECT_EQ(cities, (QStringList{"Zakopane", "Wrocław", "Warszawa", "Poznań", "Łódź", "Łeba", "Lublin", "Kraków",
                                   "Gdańsk", "Białystok"}));
    testsupport::writeBytes(path(QStringLiteral("q.sql")),
                            cp("SELECT min(MIASTO), max(MIASTO) FROM \"klienci.dbf\" WHERE MIASTO > 'L' AND MIASTO < 'M'\r\n"));
    ASSERT_EQ(batch({"sql", "q.sql"}), 0) << err.toStdString();
    EXPECT_EQ(rows(), QList<QByteArray>{cp("Lublin;Łódź;\r")});
}

TEST_F(Batch, StatementsWithoutRowsPrintNothing)
{
    testsupport::writeBytes(path(QStringLiteral("t.sql")), "CREATE TABLE \"nowa.dbf\" (A CHAR(5))\r\n");
    ASSERT_EQ(batch({"sql", "t.sql"}), 0) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("nowa.dbf"))));
}

TEST_F(Batch, ReportWritesThePdfOfTheRunWithoutADisplay)
{
    ASSERT_EQ(batch({"report", "Faktury z okresu", "--param", "dataOd=2026-01-01", "--param", "dataDo=2026-01-31",
                     "--pdf", "styczeń.pdf"}),
              0)
        << err.toStdString();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    QByteArray text;
    ASSERT_EQ(testsupport::run("pdftotext", {"-layout", path("styczeń.pdf"), "-"}, &text), 0);
    const QString page = QString::fromUtf8(text);
    EXPECT_TRUE(page.contains("Faktury z okresu"));
    EXPECT_TRUE(page.contains(QRegularExpression("Od=01.01.2026 +Do=31.01.2026")));
    EXPECT_TRUE(page.contains("str. 1"));
    EXPECT_TRUE(page.contains(QStringLiteral("Hurtownia Żuraw")));
    EXPECT_FALSE(page.contains(".02.2026"));

    // The same prompt rules as run: nothing is written without its answers.
    EXPECT_EQ(batch({"report", "Faktury z okresu", "--pdf", "brak.pdf"}), 1);
    EXPECT_TRUE(err.startsWith("Brak wartości parametru dataOd")) << err.toStdString();
    EXPECT_FALSE(QFile::exists(path("brak.pdf")));
    for (const QStringList &arguments : {QStringList{"report", "Klienci według miast"},
                                         QStringList{"report", "--pdf", "a.pdf"},
                                         QStringList{"report", "A", "--pdf", "a.pdf", "--export", "x.xls"}}) {
        EXPECT_EQ(batch(arguments), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("usage:")));
    }
}

TEST_F(Batch, AReportIsWrittenOnThePaperItsTitleWasLastPrintedOn)
{
    const QStringList run{"report", "Faktury z okresu", "--param", "dataOd=2026-01-01", "--param", "dataDo=2026-01-31",
                          "--pdf", "papier.pdf"};
    for (const auto &[settings, paper] : {std::pair<QByteArray, QByteArray>{"", "(A4)"},
                                          {"[PAPIER]\r\nFaktury z okresu=A3\r\n", "(A3)"},
                                          {"[PAPIER]\r\nFaktury z okresu=Letter\r\n", "(letter)"}}) {
        testsupport::writeBytes(path(QStringLiteral("drukowanie.ini")), settings);
        ASSERT_EQ(batch(run), 0) << err.toStdString();
        QByteArray info;
        ASSERT_EQ(testsupport::run("pdfinfo", {path("papier.pdf")}, &info), 0);
        EXPECT_TRUE(info.contains(paper)) << info.toStdString();
    }
}

TEST_F(Batch, ReportsSayWhatDoesNotPrintAsLaidOutAndRefuseImpossibleLayouts)
{
    QueryCatalogue catalogue(path(QStringLiteral("sqls.ini")));
    EntryForm form;
    form.title = QStringLiteral("Wąskie kwoty dd");
    form.sql = {QStringLiteral("SELECT -5000000000.25 AS KWOTA, 1e300 AS OGROM")};
    form.fontSizeText = QStringLiteral("8");
    form.rowHeightText = QStringLiteral("4,5");
    form.fields = {{"KWOTA", "15", ""}, {"OGROM", "15", ""}};
    catalogue.saveEntry(form);
    ASSERT_EQ(batch({"report", "Wąskie kwoty dd", "--pdf", "w.pdf"}), 1);
    EXPECT_EQ(err, QStringLiteral("Tytuł wydruku \"Wąskie kwoty dd\" zawiera znaczniki daty: podaj --date DATA.\n"));
    ASSERT_EQ(batch({"report", "Wąskie kwoty dd", "--pdf", "w.pdf", "--date", "2026-12-11"}), 0) << err.toStdString();
    EXPECT_EQ(err, QStringLiteral("Wartości wydrukowane mniejszą czcionką, bo nie mieszczą się w kolumnach: KWOTA\n"
                                  "Wartości zastąpione znakami \"#\", bo nie mieszczą się w kolumnach: OGROM\n"));
    QByteArray text;
    ASSERT_EQ(testsupport::run("pdftotext", {"-layout", path("w.pdf"), "-"}, &text), 0);
    EXPECT_TRUE(text.contains("Wąskie kwoty 11")) << text.toStdString();
    EXPECT_TRUE(text.contains("-5000000000,25")) << text.toStdString();

    // A row height of 0 from a hand-edited catalogue prints nothing.
    catalogue.ini().writeString(QStringLiteral("UKLAD"), QStringLiteral("Wąskie kwoty dd_WYS"), QStringLiteral("0"));
    QFile::remove(path("w.pdf"));
    EXPECT_EQ(batch({"report", "Wąskie kwoty dd", "--pdf", "w.pdf", "--date", "2026-12-11"}), 1);
    EXPECT_EQ(err, QStringLiteral("\r\nWysokość wiersza w układzie wydruku \"Wąskie kwoty dd\" (klucz Wąskie kwoty dd_WYS w "
                                  "sekcji [UKLAD]) wynosi 0 mm, a musi wynosić od 2 do 50 mm.\n"));
    EXPECT_FALSE(QFile::exists(path("w.pdf")));
}

TEST_F(Batch, ChartWritesPngSvgAndPdfWithoutADisplay)
{
    const QStringList run{"chart", "Faktury w złotych", "--date", "2026-03-05", "--x", "WALUTA", "--y", "NETTO_PLN"};
    ASSERT_EQ(batch(run + QStringList{"--png", "waluty.png", "--size", "640x400"}), 0) << err.toStdString();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    QImage png(path("waluty.png"));
    EXPECT_EQ(png.size(), QSize(640, 400));
    // The red of the one series' bars, the white of the wall.
    int red = 0;
    for (int y = 0; y < png.height(); y += 2) {
        for (int x = 0; x < png.width(); x += 2)
            red += png.pixelColor(x, y) == QColor(Qt::red);
    }
    EXPECT_GT(red, 5000);

    ASSERT_EQ(batch(run + QStringList{"--series", "NAZWA", "--lines", "--flat", "--marks", "--svg", "w.svg"}), 0)
        << err.toStdString();
    EXPECT_TRUE(readBytes(path("w.svg")).contains("viewBox=\"0 0 1280 800\""));
    ASSERT_EQ(batch(run + QStringList{"--stack100", "--pdf", "w.pdf"}), 0) << err.toStdString();
    QByteArray info;
    ASSERT_EQ(testsupport::run("pdfinfo", {path("w.pdf")}, &info), 0);
    EXPECT_TRUE(info.contains("Page size:       960 x 600 pts")) << info.toStdString();

    // Rows without a point are reported on standard error; the chart is still written.
    ASSERT_EQ(batch({"chart", "Obroty klientów", "--x", "NAZWA", "--y", "NETTO", "--png", "o.png"}), 0);
    EXPECT_EQ(err, QStringLiteral("Pominięte wiersze (X poza osią lub brak wartości Y): 1\n"));

    // What cannot be charted: status 1, no file.
    const struct {
        QStringList arguments;
        const char *error;
    } failures[] = {
        // As the standard error box shows them.
        {{"--y", "NAZWA"}, "Pole NAZWA nie zawiera liczb: na osi Y można pokazywać tylko liczby.\n"},
        {{"--y", "NIE_MA"}, "Field 'NIE_MA' not found.\n"},
        {{"--y", "NETTO", "--date", "1999-01-01"}, "Brak danych do wykresu.\n"},
    };
    for (const auto &f : failures) {
        EXPECT_EQ(batch(QStringList{"chart", "Faktury w złotych", "--date", "2026-03-05", "--x", "WALUTA", "--png", "x.png"}
                        + f.arguments),
                  1);
        EXPECT_EQ(err, QString::fromUtf8(f.error));
        EXPECT_FALSE(QFile::exists(path("x.png")));
    }
    for (const QStringList &arguments :
         {QStringList{"chart", "A", "--x", "X", "--png", "a.png"}, QStringList{"chart", "A", "--x", "X", "--y", "Y"},
          QStringList{"chart", "A", "--x", "X", "--y", "Y", "--png", "a.png", "--svg", "a.svg"},
          QStringList{"chart", "A", "--x", "X", "--y", "Y", "--png", "a.png", "--stack", "--stack100"},
          QStringList{"chart", "A", "--x", "X", "--y", "Y", "--png", "a.png", "--size", "10x"},
          QStringList{"chart", "A", "--x", "X", "--y", "Y", "--png", "a.png", "--export", "a.xls"},
          QStringList{"run", "A", "--png", "a.png"}}) {
        EXPECT_EQ(batch(arguments), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("usage:"))) << err.toStdString();
    }
}

// Series of customers over years of days, one row each, as users chart them.
QString customersOverDays(int customers)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                          "SELECT date('1998-01-01', '+' || (i * 9989 / %1) || ' days') AS DZIEN, 'Klient nr ' || i AS SERIA, "
                          "(i * 7919 % 1000) + 0.5 AS KWOTA FROM n")
        .arg(customers - 1);
}

TEST_F(Batch, AChartOfHundredsOfSeriesOverYearsOfDaysStaysSmall)
{
    // 300 series over 9,990 days: the SVG of its lines took 2 GB of memory and was 525 MB.
    saveEntry(QStringLiteral("Klienci"), customersOverDays(300));
    const QStringList chart{"chart", "Klienci", "--x", "DZIEN", "--y", "KWOTA", "--series", "SERIA"};
    const struct {
        QStringList options;
        const char *file;
        qint64 most;
    } cases[] = {
        {{"--lines", "--svg"}, "k.svg", 1'000'000}, {{"--lines", "--flat", "--svg"}, "k.svg", 1'000'000},
        {{"--lines", "--marks", "--svg"}, "k.svg", 1'000'000}, {{"--stack", "--svg"}, "k.svg", 1'000'000},
        {{"--lines", "--png"}, "k.png", 500'000}, {{"--lines", "--pdf"}, "k.pdf", 500'000},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(batch(chart + c.options + QStringList{QLatin1String(c.file)}), 0) << err.toStdString();
        EXPECT_LT(QFileInfo(path(c.file)).size(), c.most) << c.options.join(' ').toStdString();
    }
}

TEST_F(Batch, AChartBeyondTheLimitsIsRefusedBeforeItIsDrawn)
{
    saveEntry(QStringLiteral("Klienci"), customersOverDays(501));
    saveEntry(QStringLiteral("Blob"), QStringLiteral("SELECT 1 AS X, x'2700ff' AS B, 1e308 * 10 AS INF"));
    const QStringList customers{"chart", "Klienci", "--x", "DZIEN", "--y", "KWOTA"};
    const struct {
        QStringList arguments;
        QString error;
    } cases[] = {
        // Sizes before the query runs, the rest once its result is there.
        {customers + QStringList{"--size", "20000x20000"},
         "Rozmiar wykresu 20000x20000 jest poza zakresem: każdy bok od 100 do 10 000 pikseli, razem najwyżej 25 000 000 "
         "pikseli, np. 5000x5000.\n"},
        {customers + QStringList{"--size", "5001x5000"}, "Rozmiar wykresu 5001x5000 jest poza zakresem"},
        {customers + QStringList{"--size", "10x10"}, "Rozmiar wykresu 10x10 jest poza zakresem"},
        {customers + QStringList{"--size", "-5x800"}, "Rozmiar wykresu -5x800 jest poza zakresem"},
        {customers + QStringList{"--series", "SERIA"},
         "Pole SERIA ma ponad 500 wartości, a wykres może pokazać najwyżej 500 serii. Wybierz inne pole serii lub zawęź "
         "wynik.\n"},
        {{"chart", "Blob", "--x", "X", "--y", "B"}, "Pole B nie zawiera liczb: na osi Y można pokazywać tylko liczby.\n"},
        {{"chart", "Blob", "--x", "X", "--y", "INF"}, "Sumy pola INF wykraczają poza zakres wykresu: od -1E300 do 1E300.\n"},
    };
    for (const auto &c : cases) {
        for (const char *format : {"--png", "--svg", "--pdf"}) {
            EXPECT_EQ(batch(c.arguments + QStringList{format, "x"}), 1) << format;
            EXPECT_TRUE(err.startsWith(c.error)) << err.toStdString();
            EXPECT_EQ(QDir(dir.path()).entryList({"x*", ".x*"}, QDir::Files | QDir::Hidden), QStringList()) << "no file";
        }
        if (c.arguments.contains("--size")) {
            EXPECT_FALSE(QFile::exists(path(QStringLiteral("sqlhist.txt")))) << "the query did not run";
        }
    }
}

TEST_F(Batch, ExportsFollowTheNameRulesWithoutTheInputBox)
{
    // The preliminary query exports the rates under KURSY, the table the query then joins.
    ASSERT_EQ(batch({"run", "Faktury w złotych", "--date", "2026-03-05"}), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("NUMER;DATA;NAZWA;WALUTA;NETTO;KURS;NETTO_PLN;\r\n"));
    EXPECT_TRUE(QFile::exists(path("KURSY.DB")));

    ASSERT_EQ(batch({"run", "Obroty klientów", "--export", "obroty_rrrr.xls", "--date", "2026-03-05"}), 0) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
    QByteArray sheet;
    ASSERT_EQ(testsupport::run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/tools/xlsdump.py", path("obroty_2026.xls")}, &sheet), 0);
    EXPECT_TRUE(sheet.startsWith("'Sheet 1' 13 7\n[(1, 'KOD'), (1, 'NAZWA'), (1, 'MIASTO')")) << sheet.toStdString();

    testsupport::writeBytes(path("q.sql"), "SELECT NR, NAZWA FROM \"klienci.dbf\" WHERE NR < 3\r\n");
    ASSERT_EQ(batch({"sql", "q.sql", "--export", "table"}), 0) << err.toStdString();
    EXPECT_TRUE(QFile::exists(path("table.DB")));
    ASSERT_EQ(batch({"sql", "q.sql", "--export", "Klienci.TXT"}), 0) << err.toStdString();
    EXPECT_TRUE(readBytes(path("Klienci.TXT")).startsWith("       NR           NAZWA     \r\n"));

    // Nothing to export after a statement without rows; a folder that is not there.
    testsupport::writeBytes(path("t.sql"), "CREATE TEMP TABLE t (a)\r\n");
    EXPECT_EQ(batch({"sql", "t.sql", "--export", "t.csv"}), 1);
    EXPECT_EQ(err, QStringLiteral("Cannot perform this operation on a closed dataset.\n"));
    EXPECT_EQ(batch({"sql", "q.sql", "--export", "nie_ma/k.csv"}), 1);
    EXPECT_TRUE(err.startsWith("Cannot create file")) << err.toStdString();
    EXPECT_FALSE(QFile::exists(path("t.csv")));
}

TEST_F(Batch, TableExportsKeepEveryValueOrRefuseItInPolish)
{
    testsupport::writeBytes(path("q.sql"), "SELECT 9223372036854775807 AS DUZA, 0.000001234 AS MALA, 'a' || char(0) || 'b' AS T\r\n");
    ASSERT_EQ(batch({"sql", "q.sql", "--export", "wynik.dbf"}), 0) << err.toStdString();
    QByteArray read;
    ASSERT_EQ(testsupport::run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/tools/dbfeval.py", path("wynik.dbf"), "[tuple(r) for r in t]"}, &read), 0);
    EXPECT_EQ(read, "[(9223372036854775807, 1.234e-06, 'a\\x00b')]\n");

    // A trailing dot names no extension: a Paradox table, whose numbers are doubles.
    EXPECT_EQ(batch({"sql", "q.sql", "--export", "wynik."}), 1);
    EXPECT_EQ(err, QStringLiteral("Pole DUZA, rekord 1: liczby całkowitej 9223372036854775807 nie można zapisać w tabeli Paradox "
                                  "bez zmiany: jej pole liczbowe przechowuje dokładnie liczby całkowite tylko do 2^53 "
                                  "(9007199254740992). Tabela dBASE (.dbf) przechowuje ją dokładnie.\nTabela: %1.\n")
                       .arg(path("wynik.db")));
    EXPECT_EQ(QDir(dir.path()).entryList({"wynik*"}, QDir::Files | QDir::Hidden), QStringList{"wynik.dbf"});
    testsupport::writeBytes(path("q.sql"), "SELECT 0.000001234 AS MALA, 'a' || char(0) || 'b' AS T\r\n");
    ASSERT_EQ(batch({"sql", "q.sql", "--export", "wynik."}), 0) << err.toStdString();
    ASSERT_EQ(testsupport::run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/tools/pxcheck.py", path("wynik.db"), path("wynik.mb")}, &read), 0);
    EXPECT_TRUE(read.endsWith("\n[1.234e-06, 'a\\x00b']\n")) << read.toStdString();
}

// Every file the program writes, under a file size limit and on a full disk: status 1, the
// user's file and the system's reason named, the old file as it was, no temporary left.
class FailingWrites : public Batch {
protected:
    void SetUp() override
    {
        Batch::SetUp();
        testsupport::writeBytes(path("duzo.sql"), "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                                                  "i < 5000) SELECT i AS ID, i * 1.5 AS KWOTA, 'opis ' || i AS OPIS "
                                                  "FROM n\r\n");
        QueryCatalogue catalogue(path(QStringLiteral("sqls.ini")));
        EntryForm form;
        form.title = QStringLiteral("Duzo");
        form.sql = QStringList{QString::fromLatin1(readBytes(path("duzo.sql")).trimmed())};
        form.fontSizeText = QStringLiteral("8");
        form.rowHeightText = QStringLiteral("4,5");
        catalogue.saveEntry(form);
        ASSERT_EQ(batch({"sql", "duzo.sql", "--export", "duzo.xls"}), 0) << err.toStdString();
    }

    struct Writer {
        const char *file;
        QStringList arguments;
    };
    static std::vector<Writer> writers(const QString &folder)
    {
        const auto in = [&](const char *name) { return folder + QLatin1String(name); };
        return {
            {"a.txt", {"sql", "duzo.sql", "--export", in("a.txt")}},
            {"a.csv", {"sql", "duzo.sql", "--export", in("a.csv")}},
            {"a.xls", {"sql", "duzo.sql", "--export", in("a.xls")}},
            {"a.dbf", {"sql", "duzo.sql", "--export", in("a.dbf")}},
            {"a.db", {"sql", "duzo.sql", "--export", in("a.db")}},
            {"r.pdf", {"report", "Duzo", "--pdf", in("r.pdf")}},
            {"c.png", {"chart", "Duzo", "--x", "ID", "--y", "KWOTA", "--png", in("c.png")}},
            {"c.svg", {"chart", "Duzo", "--x", "ID", "--y", "KWOTA", "--svg", in("c.svg")}},
            {"c.pdf", {"chart", "Duzo", "--x", "ID", "--y", "KWOTA", "--pdf", in("c.pdf")}},
            {"duzo.csv", {"xls2csv", in("duzo.xls")}},
        };
    }

    void expectCleanFailure(const QString &folder, const char *file, const char *reason)
    {
        const QString target = QDir(dir.path()).filePath(folder + QLatin1String(file));
        EXPECT_EQ(readBytes(target), "old") << file;
        EXPECT_TRUE(err.contains(QLatin1String(file) + QLatin1String("\". ") + QLatin1String(reason))
                    || err.contains(QLatin1String(file) + QLatin1String(".\n")))
            << err.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String(reason))) << err.toStdString();
        EXPECT_FALSE(err.contains(QLatin1String(".kw"))) << err.toStdString();
        const QStringList left = QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_FALSE(left.join(' ').contains(QLatin1String(".kw"))) << left.join(' ').toStdString();
    }
};

TEST_F(FailingWrites, BeyondTheFileSizeLimit)
{
    program = QStringLiteral("/usr/bin/prlimit");
    for (const Writer &w : writers(QString())) {
        testsupport::writeBytes(path(QLatin1String(w.file)), "old");
        EXPECT_EQ(batch(QStringList{"--fsize=16384", path("kwerix-batch")} + w.arguments), 1) << w.file;
        expectCleanFailure(QString(), w.file, "File too large");
    }
}

TEST_F(FailingWrites, OnAFullDisk)
{
    const QString disk = path("pelny");
    QDir().mkpath(disk);
    if (geteuid() != 0 || testsupport::run("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", disk}) != 0)
        GTEST_SKIP() << "mounting a small disk needs a privileged user";
    const std::shared_ptr<void> unmount(nullptr, [&](void *) { testsupport::run("umount", {disk}); });
    ASSERT_TRUE(QFile::copy(path("duzo.xls"), disk + QStringLiteral("/duzo.xls")));
    for (const Writer &w : writers(QStringLiteral("pelny/"))) {
        testsupport::writeBytes(disk + QLatin1Char('/') + QLatin1String(w.file), "old");
        // The disk holds the old files and nothing more.
        testsupport::run("sh", {"-c", "cat /dev/zero > " + disk + "/zapchaj 2>/dev/null; true"});
        EXPECT_EQ(batch(w.arguments), 1) << w.file;
        expectCleanFailure(QStringLiteral("pelny/"), w.file, "No space left on device");
        QFile::remove(disk + QStringLiteral("/zapchaj"));
    }
}

TEST_F(Batch, HelpAndListAnswerAShellUser)
{
    for (const QStringList &arguments : {QStringList{"--help"}, QStringList{"-h"}, QStringList{"run", "A", "--help"}}) {
        ASSERT_EQ(batch(arguments), 0) << arguments.join(' ').toStdString();
        const QString text = QString::fromLocal8Bit(out);
        EXPECT_TRUE(text.startsWith("usage: kwerix-batch [--catalogue DIR] COMMAND ...\n")) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("  3. folder programu %1: jest sqls.ini\nUżywany folder: %1\n").arg(dir.path())))
            << text.toStdString();
        EXPECT_TRUE(err.isEmpty());
    }
    // The titles in the catalogue's order, in the terminal's encoding.
    ASSERT_EQ(batch({"list"}, "C.UTF-8"), 0);
    const QStringList titles = QString::fromUtf8(out).split('\n');
    EXPECT_EQ(titles.mid(0, 3), (QStringList{QStringLiteral("Klienci według miast"), "Faktury klienta", "Faktury z okresu"}));
    EXPECT_EQ(titles.size(), 10); // nine and the end of the last line
    EXPECT_EQ(batch({"list", "x"}), 2);
}

TEST_F(Batch, TheCatalogueIsLookedForByOptionVariableProgramFolderAndDataFolder)
{
    // A copy of the program in a folder without a catalogue, the user's data folder empty.
    QDir(dir.path()).mkpath("bin");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KWERIX_BATCH), path("bin/kwerix-batch")));
    program = path("bin/kwerix-batch");
    variables.insert("XDG_DATA_HOME", path("data"));
    EXPECT_EQ(batch({"list"}), 1);
    EXPECT_TRUE(err.startsWith(QStringLiteral("Nie znaleziono katalogu zapytań.\nKatalog zapytań (sqls.ini) jest szukany kolejno:\n")))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("4. folder danych użytkownika %1/data/Kwerix: nie ma folderu").arg(dir.path())));
    EXPECT_FALSE(QFileInfo::exists(path("data")));

    for (const QStringList &arguments :
         {QStringList{"--catalogue", dir.path(), "run", QStringLiteral("Klienci według miast")},
          QStringList{"run", QStringLiteral("Klienci według miast"), "--catalogue", dir.path()}}) {
        ASSERT_EQ(batch(arguments), 0) << err.toStdString();
        EXPECT_TRUE(out.startsWith("NR;NAZWA;MIASTO;NIP;KLIENT_OD;\r\n"));
    }
    variables.insert("KWERIX_CATALOGUE", dir.path());
    ASSERT_EQ(batch({"report", "Faktury z okresu", "--param", "dataOd=2026-01-01", "--param", "dataDo=2026-01-31", "--pdf",
                     "k.pdf"}),
              0)
        << err.toStdString();
    EXPECT_TRUE(QFileInfo(path("k.pdf")).isFile());

    QDir(dir.path()).mkpath("data/Kwerix");
    testsupport::writeBytes(path("data/Kwerix/sqls.ini"), testsupport::cp("[NAZWA_SQL]\r\nMój=\r\n"));
    variables.remove("KWERIX_CATALOGUE");
    ASSERT_EQ(batch({"list"}, "C.UTF-8"), 0) << err.toStdString();
    EXPECT_EQ(QString::fromUtf8(out), QStringLiteral("Mój\n"));

    EXPECT_EQ(batch({"list", "--catalogue", path("brak")}), 1);
    EXPECT_EQ(err, QStringLiteral("Nie ma folderu katalogu zapytań %1 (podany w --catalogue).\n").arg(path("brak")));
    EXPECT_EQ(batch({"list", "--catalogue"}), 2);
}

// Damage that the libraries would comment on ends with the program's own message alone.
TEST_F(Batch, DamagedFilesGiveTheProgramsMessageAlone)
{
    QByteArray book = readBytes(QStringLiteral(KWERIX_SOURCE_DIR "/tests/xls/fixtures/xlwt_mixed.xls"));
    // The master allocation table's first sector far beyond the file: libgsf fails a check of its own.
    qToLittleEndian<quint32>(0x00FFFFF0, book.data() + 0x4C);
    testsupport::writeBytes(path("zly.xls"), book);
    EXPECT_EQ(batch({"xls2csv", "zly.xls"}), 1);
    EXPECT_EQ(err, "The compound file " + path("zly.xls") + " is damaged: Inconsistent block allocation table.\n");

    // A NUL in the name of a statement's text file names no file.
    testsupport::writeBytes(path("sqls.ini"), QByteArray("[NAZWA_SQL]\r\nZ=\r\n[FILES]\r\nZ=a\0b.sql\r\n", 37));
    EXPECT_EQ(batch({"run", "Z"}), 1);
    EXPECT_EQ(err, QStringLiteral("Brak pliku z treścią SQL Z\n"));
}

TEST_F(Batch, RunningOutOfMemoryEndsWithAPolishMessage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' allocator does not run under a limit of address space";
#endif
    testsupport::writeBytes(path("duzo.sql"), "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                                              "i < 2000000) SELECT i, hex(zeroblob(500)) AS T FROM n\r\n");
    program = QStringLiteral("/usr/bin/prlimit");
    EXPECT_EQ(batch({"--as=800000000", path("kwerix-batch"), "sql", "duzo.sql"}), 1);
    EXPECT_EQ(err, QStringLiteral("Za mało pamięci, aby dokończyć tę pracę.\n"));
}

TEST_F(Batch, WrongCommandLinesEndWithStatusTwo)
{
    for (const QStringList &arguments : {QStringList{"run"}, QStringList{"run", "A", "B"},
                                         QStringList{"run", "A", "--param", "X"}, QStringList{"sql", "a.sql", "--date"},
                                         QStringList{"run", "A", "--bez-sensu", "1"}}) {
        EXPECT_EQ(batch(arguments), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("usage:")));
    }
}

} // namespace
