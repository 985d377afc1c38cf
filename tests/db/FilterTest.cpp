#include "DbTestSupport.h"

#include "db/Query.h"
#include "platform/Errors.h"

using testsupport::DbTest;

namespace {

class FilterTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        db->execute("CREATE TEMP TABLE osoby (NAZWA VARCHAR(20), MIASTO VARCHAR(20), KWOTA FLOAT, ILE INTEGER, "
                    "DATA DATE TEXT, OK BOOLEAN, \"DATA URODZENIA\" DATE TEXT)");
        db->execute("INSERT INTO osoby VALUES "
                    "('Kowalski', 'Łódź', 12.5, 3, '2024-03-05', 1, '1990-05-01'),"
                    "('kowalczyk', 'Kraków', -1, 10, '2023-12-31', 0, '1985-01-01'),"
                    "('Nowak', '', 0, NULL, NULL, NULL, '1995-07-07'),"
                    "('Żak', NULL, 1000000, 7, '2024-01-01', 1, NULL)");
        query = std::make_unique<Query>(*db);
        query->sql().assign({"SELECT * FROM osoby"});
        query->open();
    }
    void TearDown() override
    {
        query.reset();
        DbTest::TearDown();
    }
    QStringList visibleNames()
    {
        QStringList names;
        for (query->first(); !query->eof(); query->next())
            names.append(query->fieldByName("NAZWA")->asString());
        return names;
    }
    std::unique_ptr<Query> query;
};

struct FilterCase {
    const char *expression;
    int options;
    QStringList names;
};

class Filters : public FilterTest, public ::testing::WithParamInterface<FilterCase> {};

constexpr int kCaseInsensitive = DataSet::foCaseInsensitive;
constexpr int kNoPartial = DataSet::foNoPartialCompare;

} // namespace

TEST_P(Filters, LetThroughTheRowsTheExpressionDescribes)
{
    query->setFilterOptions(DataSet::FilterOptions(GetParam().options));
    query->setFilter(QString::fromUtf8(GetParam().expression));
    query->setFiltered(true);
    EXPECT_EQ(visibleNames(), GetParam().names) << GetParam().expression;
    EXPECT_EQ(query->recordCount(), GetParam().names.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, Filters, ::testing::Values(
    FilterCase{"NAZWA = 'Kowalski'", 0, {"Kowalski"}},
    FilterCase{"NAZWA= 'Kowalski'", 0, {"Kowalski"}},
    FilterCase{"NAZWA = 'kowalski'", 0, {}},
    FilterCase{"NAZWA = 'kowalski'", kCaseInsensitive, {"Kowalski"}},
    FilterCase{"NAZWA = 'Kow*'", 0, {"Kowalski"}},
    FilterCase{"NAZWA = 'kow*'", kCaseInsensitive, {"Kowalski", "kowalczyk"}},
    FilterCase{"NAZWA = 'Kow*'", kNoPartial, {}},
    FilterCase{"NAZWA <> 'Kow*'", 0, {"kowalczyk", "Nowak", "Żak"}},
    FilterCase{"MIASTO = 'łódź'", kCaseInsensitive, {"Kowalski"}},
    FilterCase{"KWOTA > '0'", 0, {"Kowalski", "Żak"}},
    FilterCase{"KWOTA >= '12,5'", 0, {"Kowalski", "Żak"}},
    FilterCase{"KWOTA < '12.5'", 0, {"kowalczyk", "Nowak"}},
    FilterCase{"ILE <= 7", 0, {"Kowalski", "Żak"}},
    FilterCase{"DATA > '31.12.2023'", 0, {"Kowalski", "Żak"}},
    FilterCase{"DATA >= '2023-12-31'", 0, {"Kowalski", "kowalczyk", "Żak"}},
    FilterCase{"[DATA URODZENIA] > '1990-01-01'", 0, {"Kowalski", "Nowak"}},
    FilterCase{"NAZWA = 'Kowalski' OR [DATA URODZENIA] > '1990-01-01'", 0, {"Kowalski", "Nowak"}},
    FilterCase{" NAZWA = 'Kowalski' OR [DATA URODZENIA] > '1992-01-01' AND ILE = '3'", 0, {"Kowalski"}},
    // Comparisons with null are false, so NOT lets such rows through.
    FilterCase{"(NAZWA = 'Nowak' OR NAZWA = 'Żak') AND NOT ILE = 7", 0, {"Nowak"}},
    FilterCase{"NOT (OK = 'True')", 0, {"kowalczyk", "Nowak"}},
    FilterCase{"OK = 'Tak'", 0, {"Kowalski", "Żak"}},
    FilterCase{"MIASTO blank ''", 0, {"Nowak", "Żak"}},
    FilterCase{"MIASTO not blank 'x'", 0, {"Kowalski", "kowalczyk"}},
    FilterCase{"ILE IS NULL", 0, {"Nowak"}},
    FilterCase{"ILE IS NOT NULL AND DATA <> '2024-03-05'", 0, {"kowalczyk", "Żak"}},
    FilterCase{"'Kowalski' = NAZWA", 0, {"Kowalski"}},
    FilterCase{"0 > KWOTA", 0, {"kowalczyk"}},
    FilterCase{"", 0, {"Kowalski", "kowalczyk", "Nowak", "Żak"}}), testsupport::CaseIndex());

TEST_F(FilterTest, RejectedExpressionsRaiseTheirErrors)
{
    const struct {
        const char *expression;
        bool convert; // EConvertError instead of EDatabaseError
    } cases[] = {
        {"NAZWA = ", false}, {"NAZWA 'x'", false}, {"NAZWA = 'x", false}, {"(NAZWA = 'x'", false},
        {"BRAK = 'x'", false}, {"NAZWA = 'x' AND", false}, {"NAZWA ! 'x'", false},
        {"ILE = 'abc'", true}, {"KWOTA > 'x'", true}, {"DATA = '32.13.2024'", true}, {"OK = 'może'", true},
    };
    for (const auto &c : cases) {
        query->setFiltered(false);
        query->setFilter(QString::fromUtf8(c.expression));
        if (c.convert) {
            EXPECT_THROW(query->setFiltered(true), EConvertError) << c.expression;
        } else {
            try {
                query->setFiltered(true);
                ADD_FAILURE() << c.expression;
            } catch (const EConvertError &) {
                ADD_FAILURE() << "conversion error for " << c.expression;
            } catch (const EDatabaseError &) {
            }
        }
        EXPECT_FALSE(query->filtered()) << c.expression;
        EXPECT_EQ(query->recordCount(), 4) << c.expression;
        EXPECT_EQ(query->filter(), QString::fromUtf8(c.expression));
    }
}

TEST_F(FilterTest, TheFilterStaysAcrossCloseAndOpen)
{
    query->setFilter("ILE > 5");
    query->setFiltered(true);
    query->close();
    query->open();
    EXPECT_EQ(visibleNames(), (QStringList{"kowalczyk", "Żak"}));
    query->setFiltered(false);
    EXPECT_EQ(query->recordCount(), 4);
}

TEST_F(FilterTest, AFilterThatDoesNotFitANewResultIsSwitchedOffAndTheResultOpens)
{
    query->setFilter("ILE > 5");
    query->setFiltered(true);
    query->close();
    query->sql().assign({"SELECT 'inny' AS NAZWA"});
    query->open();
    EXPECT_TRUE(query->active());
    EXPECT_FALSE(query->filtered());
    EXPECT_EQ(query->filter(), QStringLiteral("ILE > 5"));
    EXPECT_EQ(query->recordCount(), 1);
}

TEST_F(FilterTest, LocateFindsTheFirstMatchingRecord)
{
    const struct {
        const char *fields;
        QVariant values;
        int options;
        int record; // -1: not found
    } cases[] = {
        {"NAZWA", "Nowak", 0, 2},
        {"nazwa", "nowak", 0, -1},
        {"NAZWA", "nowak", DataSet::loCaseInsensitive, 2},
        {"NAZWA", "kow", DataSet::loCaseInsensitive | DataSet::loPartialKey, 0},
        {"NAZWA", "Kowalc", DataSet::loPartialKey, -1},
        {"NAZWA", "kowalc", DataSet::loPartialKey, 1},
        {"NAZWA", "kowalc", DataSet::loPartialKey | DataSet::loCaseInsensitive, 1},
        {"ILE", "10", 0, 1},
        {"ILE", 7, DataSet::loPartialKey, 3},
        {"KWOTA", "12,5", 0, 0},
        {"DATA", QDate(2024, 1, 1), 0, 3},
        {"DATA", "05.03.2024", 0, 0},
        {"NAZWA;ILE", QVariantList{"Żak", 7}, 0, 3},
        {"NAZWA;ILE", QVariantList{"Żak", 8}, 0, -1},
        {"ILE", QVariant(), 0, 2},
    };
    for (const auto &c : cases) {
        query->setRecNo(1);
        const bool found = query->locate(QString::fromUtf8(c.fields), c.values, DataSet::LocateOptions(c.options));
        EXPECT_EQ(found, c.record >= 0) << c.fields << " " << c.values.toString().toStdString();
        EXPECT_EQ(query->recNo(), c.record >= 0 ? c.record : 1) << c.fields << " " << c.values.toString().toStdString();
    }
    EXPECT_THROW(query->locate("BRAK", "x"), EDatabaseError);
    EXPECT_THROW(query->locate("ILE", "dużo"), EConvertError);
}

TEST_F(FilterTest, LocateSearchesOnlyTheRecordsTheFilterLetsThrough)
{
    query->setFilter("ILE > 5");
    query->setFiltered(true);
    EXPECT_FALSE(query->locate("NAZWA", "Kowalski"));
    EXPECT_TRUE(query->locate("NAZWA", "Żak"));
    EXPECT_EQ(query->recNo(), 1);
}
