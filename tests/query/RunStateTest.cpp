#include "QueryTestSupport.h"

#include "db/Table.h"
#include "platform/Errors.h"

#include <QDir>
#include <QLocale>

using testsupport::CaseIndex;

namespace {

struct KindCase {
    const char *name;
    ParameterKind::Kind kind;
    const char *label;
    const char *prompt;
};

class ParameterKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(ParameterKinds, FollowTheName)
{
    const KindCase &c = GetParam();
    const ParameterKind kind = ParameterKind::of(QString::fromUtf8(c.name));
    EXPECT_EQ(kind.kind, c.kind);
    EXPECT_EQ(kind.label, QString::fromUtf8(c.label));
    EXPECT_EQ(kind.prompt, QString::fromUtf8(c.prompt));
}

INSTANTIATE_TEST_SUITE_P(Table, ParameterKinds,
                         ::testing::Values(KindCase{"DATE", ParameterKind::Today, "DATE", ""},
                                           KindCase{"date", ParameterKind::Today, "date", ""},
                                           KindCase{"dataOd", ParameterKind::Date, "Od", "dataOd"},
                                           KindCase{"DATA", ParameterKind::Date, "", "DATA"},
                                           KindCase{"DATES", ParameterKind::Number, "DATES", "DATES (Liczba)"},
                                           KindCase{"STRNAZWA", ParameterKind::Text, "NAZWA", "NAZWA (Tekst)"},
                                           KindCase{"strMiasto", ParameterKind::Text, "Miasto", "Miasto (Tekst)"},
                                           KindCase{"ILE", ParameterKind::Number, "ILE", "ILE (Liczba)"}),
                         CaseIndex());

using Prompts = RunStateTest;

TEST_F(Prompts, DateMarkersAreReplacedByThePartsOfOneDate)
{
    prompts.dates = {QDate(2004, 3, 5)};
    answers.beginRun();
    ASSERT_TRUE(answers.ustalDate(QStringLiteral("dd.mm.rrrr")));
    const std::pair<const char *, const char *> cases[] = {
        {"dd.mm.rrrr", "05.03.2004"}, {"rrmmdd", "040305"},  {"Summary", "Su03ary"},
        {"Address", "A05ress"},       {"DD.MM.RR", "DD.MM.RR"}, {"rrr", "04r"},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(answers.wstawDate(QString::fromUtf8(text)), QString::fromUtf8(expected)) << text;
    EXPECT_EQ(answers.markerDate(), QDate(2004, 3, 5));
    EXPECT_EQ(prompts.asked, QStringList{"date: Podaj datę []"});
}

TEST_F(Prompts, TheMarkerDateIsAskedOncePerRunWithTheLastAsDefault)
{
    prompts.dates = {QDate(2004, 3, 5), QDate(2010, 12, 31)};
    answers.beginRun();
    EXPECT_FALSE(answers.ustalDate(QStringLiteral("SELECT 1 FROM T WHERE DD = MM")));
    EXPECT_TRUE(answers.ustalDate(QStringLiteral("mm")));
    EXPECT_TRUE(answers.ustalDate(QStringLiteral("rr")));
    EXPECT_EQ(prompts.asked.size(), 1);
    answers.beginRun();
    EXPECT_TRUE(answers.ustalDate(QStringLiteral("dd")));
    EXPECT_EQ(answers.wstawDate(QStringLiteral("rrrr-mm-dd")), QStringLiteral("2010-12-31"));
    EXPECT_EQ(prompts.asked, (QStringList{"date: Podaj datę []", "date: Podaj datę [2004-03-05]"}));
}

TEST_F(Prompts, TheMarkerDateKeepsItsCenturyUnderEveryLocale)
{
    for (const char *locale : {"en_US", "de_DE", "pl_PL"}) {
        RegionalSettings::set(RegionalSettings::of(QLocale(QString::fromLatin1(locale))));
        prompts.asked.clear();
        prompts.dates = {QDate(2004, 3, 5)};
        answers.beginRun();
        ASSERT_TRUE(answers.ustalDate(QStringLiteral("dd")));
        // A preliminary query asked; the query itself reuses the date.
        ASSERT_TRUE(answers.ustalDate(QStringLiteral("rrrr")));
        EXPECT_EQ(answers.wstawDate(QStringLiteral("rrrr-mm-dd")), QStringLiteral("2004-03-05")) << locale;
        prompts.dates = {QDate(2005, 1, 2)};
        answers.beginRun();
        ASSERT_TRUE(answers.ustalDate(QStringLiteral("dd")));
        EXPECT_EQ(prompts.asked.last(), QStringLiteral("date: Podaj datę [2004-03-05]")) << locale;
    }
}

TEST_F(Prompts, NoDateYetMeansAskingEvenOutsideARun)
{
    prompts.dates = {QDate(2024, 1, 31)};
    EXPECT_TRUE(answers.ustalDate(QStringLiteral("dd")));
    EXPECT_EQ(answers.wstawDate(QStringLiteral("dd")), QStringLiteral("31"));
    EXPECT_TRUE(answers.ustalDate(QStringLiteral("mm")));
    EXPECT_EQ(prompts.asked.size(), 1);
}

TEST_F(Prompts, ClosingTheDateDialogWithoutOkStops)
{
    prompts.dates = {std::nullopt};
    answers.beginRun();
    EXPECT_THROW(answers.ustalDate(QStringLiteral("mm")), EAbort);
    EXPECT_FALSE(answers.markerDate().isValid());
}

TEST_F(Prompts, TheFolderMarkerNamesFilesBesideTheCatalogue)
{
    const QString folder = dir.path() + QLatin1Char('/');
    EXPECT_EQ(answers.wstawKatalog(QStringLiteral("FROM \"..a.dbf\" JOIN \"..b.db\"")),
              QStringLiteral("FROM \"%1a.dbf\" JOIN \"%1b.db\"").arg(folder));
    EXPECT_EQ(answers.wstawKatalog(QStringLiteral("...x")), folder + QStringLiteral(".x"));

    // A table beside the catalogue is found from another working folder.
    result.sql().assign({"CREATE TABLE \"obok.db\" (NAZWA VARCHAR(10))"});
    result.execSQL();
    result.sql().assign({"INSERT INTO \"obok.db\" VALUES ('Łódź')"});
    result.execSQL();
    QDir(dir.path()).mkdir(QStringLiteral("inny"));
    QDir::setCurrent(path(QStringLiteral("inny")));
    result.sql().assign({"SELECT NAZWA", "  FROM \"..obok.db\""});
    answers.podajParametry(result);
    result.open();
    EXPECT_EQ(result.fieldByName(QStringLiteral("NAZWA"))->asString(), QStringLiteral("Łódź"));
}

TEST_F(Prompts, ParametersAreAskedByKindInOrderAndSummarised)
{
    result.sql().assign({"SELECT :DATE AS D, :dataOd AS O, :STRNAZWA AS N, :ILE AS I, :dataOd AS O2"});
    prompts.dates = {QDate(2024, 1, 2)};
    prompts.texts = {QStringLiteral("Łódź"), QStringLiteral("2,5")};
    answers.beginRun();
    answers.podajParametry(result);
    EXPECT_EQ(prompts.asked, (QStringList{"date: dataOd []", "text: NAZWA (Tekst)", "number: ILE (Liczba) [0]"}));
    const QString today = RegionalSettings::current().formatShortDate(QDate::currentDate());
    EXPECT_EQ(answers.summary(), QStringLiteral("  DATE=%1  Od=02.01.2024  NAZWA=Łódź  ILE=2,5").arg(today));
    result.open();
    EXPECT_EQ(result.fieldByName(QStringLiteral("O"))->asString(), QStringLiteral("02.01.2024"));
    EXPECT_EQ(result.fieldByName(QStringLiteral("N"))->asString(), QStringLiteral("Łódź"));
    EXPECT_EQ(result.fieldByName(QStringLiteral("I"))->asFloat(), 2.5);
}

TEST_F(Prompts, CancelledTextBoxesTakeTheirDefaults)
{
    result.sql().assign({"SELECT :STRA AS A, :B AS B"});
    prompts.texts = {std::nullopt, std::nullopt};
    answers.podajParametry(result);
    result.open();
    EXPECT_EQ(result.fieldByName(QStringLiteral("A"))->asString(), QString());
    EXPECT_EQ(result.fieldByName(QStringLiteral("B"))->asFloat(), 0.0);
    EXPECT_EQ(answers.summary(), QStringLiteral("  A=  B=0"));
}

TEST_F(Prompts, BadAnswersStopBeforeTheStatement)
{
    result.sql().assign({"SELECT :ILE AS I"});
    prompts.texts = {QStringLiteral("dwa")};
    try {
        answers.podajParametry(result);
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'dwa' is not a valid floating point value"));
    }
    result.sql().assign({"SELECT :dataOd AS O"});
    prompts.dates = {std::nullopt};
    EXPECT_THROW(answers.podajParametry(result), EAbort);
}

} // namespace

namespace {

using Preparing = RunStateTest;

TEST_F(Preparing, DropsMarkerLinesAndReplacesDateMarkersUnlessTooShort)
{
    prompts.dates = {QDate(2004, 3, 5)};
    answers.beginRun();
    EXPECT_EQ(answers.prepare({"SELEC"}), std::nullopt); // seven characters with its line break
    EXPECT_EQ(answers.prepare({"+_LICA;", "SEL"}), std::nullopt);
    EXPECT_TRUE(prompts.asked.isEmpty());
    EXPECT_EQ(answers.prepare({"+_LICA;", "SELECT 'rrrr-mm-dd'"}), QStringList{"SELECT '2004-03-05'"});
    EXPECT_EQ(answers.prepare({"SELECT 1 AS X"}), QStringList{"SELECT 1 AS X"});
}

TEST_F(Preparing, AskingEveryParameterAsksAndConvertsWithoutASummary)
{
    prompts.dates = {QDate(2024, 1, 2)};
    prompts.texts = {QStringLiteral("Łódź"), QStringLiteral("2,5")};
    answers.askParameters({"SELECT :DATE, :dataOd, :STRNAZWA,", ":ILE, :dataOd FROM \"..t.dbf\" WHERE x = '::'"});
    EXPECT_EQ(prompts.asked, (QStringList{"date: dataOd []", "text: NAZWA (Tekst)", "number: ILE (Liczba) [0]"}));
    EXPECT_TRUE(answers.summary().isEmpty());
    prompts.texts = {QStringLiteral("dużo")};
    EXPECT_THROW(answers.askParameters({"SELECT :ILE"}), EConvertError);
}

} // namespace
