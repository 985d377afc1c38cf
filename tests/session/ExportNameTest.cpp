// The name rules of "Utwórz plik" and of a run's export names.
#include "SessionTestSupport.h"

#include "platform/Errors.h"
#include "report/ReportDocument.h"

#include <QDir>
#include <QFile>

namespace {

class ExportName : public SessionTest {
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        session.setExporter(nullptr);
    }
    void openResult()
    {
        session.testSql({"SELECT 'Łódź' AS MIASTO, 2.5 AS KWOTA"});
        host.events.clear();
    }
    // The files made, beside the history log of the runs.
    QStringList files() const
    {
        QStringList made = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        made.removeAll(QStringLiteral("sqlhist.txt"));
        return made;
    }
};

TEST_F(ExportName, TableIsAskedForAndCancelDoesNothing)
{
    openResult();
    prompts.texts = {std::nullopt};
    session.dajPlik(QString());
    EXPECT_EQ(prompts.asked, QStringList{"export name: [table]"});
    EXPECT_TRUE(result.active());
    EXPECT_TRUE(files().isEmpty());

    // The name left as it is makes the Paradox table table.DB; the result closes.
    prompts.texts = {QStringLiteral("table")};
    session.dajPlik(QStringLiteral("table"));
    EXPECT_EQ(files(), QStringList{"table.DB"});
    EXPECT_FALSE(result.active());
    EXPECT_EQ(host.only("closed").size(), 1);
}

TEST_F(ExportName, OtherNamesAreUsedWithoutAskingAndDateMarkersAreReplaced)
{
    prompts.dates = {QDate(2004, 3, 5)};
    const std::pair<const char *, const char *> cases[] = {
        {"wynik.csv", "wynik.csv"},
        {"Table", "Table.DB"},
        {"zestaw_rrrrmmdd.txt", "zestaw_20040305.txt"},
        {"DD_mm.CSV", "DD_03.CSV"},
        {"summa.txt", "su03a.txt"},
        {"kopia.dbf", "kopia.dbf"},
    };
    for (const auto &[name, file] : cases) {
        openResult();
        session.dajPlik(QString::fromUtf8(name));
        EXPECT_TRUE(QFile::exists(path(QString::fromUtf8(file)))) << name << " " << files().join(' ').toStdString();
        EXPECT_FALSE(result.active()) << name;
    }
    EXPECT_EQ(prompts.asked, QStringList{"date: Podaj datę []"});
}

TEST_F(ExportName, AFailedExportKeepsTheResultOpen)
{
    openResult();
    EXPECT_THROW(session.dajPlik(QStringLiteral("nie_ma/wynik.txt")), EFCreateError);
    EXPECT_TRUE(result.active());
    EXPECT_TRUE(files().isEmpty());
    EXPECT_EQ(host.busy, 0);
}

TEST_F(ExportName, ARunExportsUnderItsMarkerNamesAndTheReportThenFindsNoResult)
{
    addQuery("_DAJwynik.csv", {"SELECT 1 AS A"});
    runner.runTitle(QStringLiteral("_DAJwynik.csv"));
    EXPECT_EQ(testsupport::readBytes(path("wynik.csv")), QByteArray("A;\r\n1;\r\n") + QByteArray(165, ' ') + "\r\n");
    EXPECT_FALSE(result.active());
    EXPECT_THROW(session.report(QStringLiteral("_DAJwynik.csv")), EAbort);
    EXPECT_EQ(host.only("error: "), QStringList{"\r\nZapytanie nie zostało przygotowane !"});
}

} // namespace
