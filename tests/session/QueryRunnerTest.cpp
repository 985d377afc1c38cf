#include "SessionTestSupport.h"

#include "platform/Errors.h"

namespace {

const QString kStart = QStringLiteral("          05.03.2024 08:09:10....");
const QString kEnd = QStringLiteral("          05.03.2024 08:09:10");

QString line(const char *text)
{
    return QString::fromUtf8(text) + QStringLiteral("\r\n");
}

using QueryRun = SessionTest;

TEST_F(QueryRun, MarkerLinesRunTheirQueriesFirstUnderTheirExportNames)
{
    addQuery("_LICPOD", {"SELECT 4 AS L"});
    addQuery("_dajKURSY", {"SELECT 1 AS K"});
    addQuery("_DAJKURS", {"SELECT 2 AS K"});
    addQuery("_licPrzelicz", {"SELECT 3 AS L"});
    addQuery("Raport", {"+_LICPOD;", "SELECT 9 AS W /*", "+_dajKURSY;", "+_DAJKURSY", "+_licPrzelicz;", "  +_DAJX;", "*/"});
    runner.runTitle("Raport");
    // The main text keeps its ordinary lines, the indented one included.
    EXPECT_EQ(host.only("status: "), (QStringList{path("q4.sql"), line("SELECT 4 AS L"), line("SELECT 1 AS K"),
                                                   line("SELECT 2 AS K"), line("SELECT 3 AS L"),
                                                   line("SELECT 9 AS W /*") + line("  +_DAJX;") + line("*/")}));
    EXPECT_EQ(host.only("export: "), (QStringList{"KURSY", "KURS", "KURS"}));
    EXPECT_EQ(host.only("history: "), QStringList({kStart + "Raport", kEnd}) + QStringList({kStart + "Raport", kEnd})
                                          + QStringList({kStart + "Raport", kEnd}) + QStringList({kStart + "Raport", kEnd})
                                          + QStringList({kStart + "Raport", kEnd}));
    EXPECT_EQ(host.busy, 0);
}

TEST_F(QueryRun, StatementsWithoutRowsExportNothing)
{
    addQuery("_DAJA", {"CREATE TEMP TABLE t (a)"});
    addQuery("_LICB", {"INSERT INTO t VALUES (1)"});
    addQuery("Z", {"+_DAJA;", "+_LICB;", "SELECT a FROM t"});
    runner.runTitle("Z");
    EXPECT_TRUE(host.only("export: ").isEmpty());
    EXPECT_EQ(result.recordCount(), 1);
}

TEST_F(QueryRun, ATextOfMarkersOnlyRunsItsQueriesAndNothingElse)
{
    addQuery("_LICA", {"SELECT 1 AS A"});
    addQuery("Tylko", {"+_LICA;", "+_lica;"});
    runner.runTitle("Tylko");
    EXPECT_EQ(host.only("status: ").mid(1), (QStringList{line("SELECT 1 AS A"), line("SELECT 1 AS A")}));
}

TEST_F(QueryRun, ADajTitleIsExportedUnderTheRestOfItsTitle)
{
    addQuery("_dajRaport", {"SELECT 1 AS A"});
    runner.runTitle("_dajRaport");
    EXPECT_EQ(host.only("export: "), QStringList{"Raport"});
}

TEST_F(QueryRun, ShortTextsRunNothing)
{
    addQuery("Krótkie", {"SELECT"}); // eight characters with its line break
    runner.runTitle("Krótkie");
    EXPECT_EQ(host.events, QStringList{"status: " + path("q0.sql")});
    host.events.clear();
    runner.wykonajSQL({"SELE"}, QString());
    runner.wykonajSQL({"+_DAJX;", "SEL"}, QString());
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(QueryRun, AMissingTextFileIsReportedAndNothingRuns)
{
    addQuery("Brak", {}, false);
    result.sql().assign({"SELECT 1 AS A"});
    result.open();
    EXPECT_THROW(runner.runTitle("Brak"), EAbort);
    EXPECT_EQ(host.events, (QStringList{"closed", "error: \r\nBrak pliku z treścią SQL Brak"}));
    EXPECT_FALSE(result.active());
    EXPECT_EQ(host.busy, 0);
}

TEST_F(QueryRun, AMissingPreliminaryTextStopsTheWholeRun)
{
    addQuery("_LICA", {"SELECT 1 AS A"});
    addQuery("_LICC", {}, false);
    addQuery("Główne", {"+_LICA;", "+_LICB;", "+_LICC;", "SELECT 2 AS B"});
    EXPECT_THROW(runner.runTitle("Główne"), EAbort);
    // Neither the step before nor the query itself ran.
    EXPECT_EQ(host.events, (QStringList{"status: " + path("q2.sql"), "error: \r\nBrak pliku z treścią SQL _LICB"}));
    EXPECT_FALSE(result.active());
}

TEST_F(QueryRun, AnEngineErrorEndsTheRunWithOnlyItsStartLine)
{
    addQuery("_LICA", {"SELECT 1 AS A"});
    addQuery("_LICB", {"SELECT * FROM nie_ma"});
    addQuery("Główne", {"+_LICA;", "+_LICB;", "SELECT 2 AS B"});
    try {
        runner.runTitle("Główne");
        FAIL() << "no error";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("no such table: nie_ma"));
    }
    EXPECT_EQ(host.only("history: "), (QStringList{kStart + "Główne", kEnd, kStart + "Główne"}));
    EXPECT_FALSE(result.active());
    EXPECT_EQ(host.busy, 0);
}

TEST_F(QueryRun, WhatTheEngineReportsDecidesWhetherAResultOpens)
{
    const std::pair<QStringList, int> cases[] = {
        {{"select 1 as a union all select 2"}, 2},
        {{"-- najpierw komentarz", "SELECT 1 AS A"}, 1},
        {{"/* blok */ SELECT 1 AS A"}, 1},
        {{"WITH t AS (SELECT 1 AS A) SELECT A FROM t"}, 1},
        {{"VALUES (1), (2), (3)"}, 3},
        {{"SELECT 1 AS A WHERE 0"}, 0},
        {{"CREATE TEMP TABLE pusta (a)"}, -1},
        {{"INSERT INTO pusta VALUES (1)"}, -1},
    };
    for (const auto &[lines, rows] : cases) {
        host.events.clear();
        runner.testSql(lines);
        if (rows < 0) {
            EXPECT_FALSE(result.active()) << lines.join(' ').toStdString();
            EXPECT_TRUE(host.only("opened: ").isEmpty());
        } else {
            EXPECT_EQ(host.only("opened: "), QStringList{QString::number(rows)}) << lines.join(' ').toStdString();
        }
    }
}

TEST_F(QueryRun, TestingBeforeAnyRunWritesHistoryWithoutATitle)
{
    runner.testSql({"SELECT 1 AS A"});
    EXPECT_EQ(host.only("history: "), (QStringList{kStart, kEnd}));
    EXPECT_EQ(host.only("status: "), QStringList{line("SELECT 1 AS A")});
}

TEST_F(QueryRun, OneDatePromptServesTheWholeRun)
{
    addQuery("_LICA", {"SELECT 'rrrr' AS A"});
    addQuery("_LICB", {"SELECT 'mm' AS B"});
    addQuery("Data", {"+_LICA;", "+_LICB;", "SELECT 'dd.mm.rrrr' AS D"});
    prompts.dates = {QDate(2004, 3, 5), QDate(2005, 6, 7)};
    runner.runTitle("Data");
    EXPECT_EQ(result.field(0)->asString(), QStringLiteral("05.03.2004"));
    // The status bar shows the text before the markers were replaced.
    EXPECT_EQ(host.only("status: ").last(), line("SELECT 'dd.mm.rrrr' AS D"));
    runner.runTitle("Data");
    EXPECT_EQ(result.field(0)->asString(), QStringLiteral("07.06.2005"));
    EXPECT_EQ(prompts.asked, (QStringList{"date: Podaj datę []", "date: Podaj datę [2004-03-05]"}));
    // Testing reuses the date of the last run.
    runner.testSql({"SELECT 'rr' AS R"});
    EXPECT_EQ(result.field(0)->asString(), QStringLiteral("05"));
    EXPECT_EQ(prompts.asked.size(), 2);
}

TEST_F(QueryRun, ClosingTheDateDialogStopsTheRunBeforeItsStatementRuns)
{
    addQuery("_LICA", {"CREATE TEMP TABLE t (a)"});
    addQuery("Data", {"+_LICA;", "SELECT 'mm' AS M"});
    prompts.dates = {std::nullopt};
    EXPECT_THROW(runner.runTitle("Data"), EAbort);
    // The preliminary statement ran; the dated one wrote no start line and opened nothing.
    EXPECT_EQ(host.only("history: "), (QStringList{kStart + "Data", kEnd}));
    EXPECT_FALSE(result.active());
    EXPECT_EQ(host.busy, 0);
}

TEST_F(QueryRun, TheSummaryHoldsThePreliminaryParametersFirst)
{
    addQuery("_LICA", {"SELECT :STRA AS A"});
    addQuery("Suma", {"+_LICA;", "SELECT :B AS B"});
    prompts.texts = {QStringLiteral("x"), QStringLiteral("1")};
    runner.runTitle("Suma");
    EXPECT_EQ(answers.summary(), QStringLiteral("  A=x  B=1"));
    prompts.texts = {QStringLiteral("y"), QStringLiteral("2")};
    runner.runTitle("Suma");
    EXPECT_EQ(answers.summary(), QStringLiteral("  A=y  B=2"));
}

} // namespace
