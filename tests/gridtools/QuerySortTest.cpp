// The ORDER BY rewrite of SortQuery, the sort itself on the engine, and OrderByFields.
#include "GridToolsTestSupport.h"

#include "gridtools/QuerySort.h"

namespace {

struct RewriteCase {
    QStringList lines;
    QStringList sorted;
};

TEST(OrderByRewrite, OnlyTheQuerysOwnTopLevelClauseIsReplaced)
{
    const RewriteCase cases[] = {
        // The two shapes of the description.
        {{"SELECT * FROM klienci", "ORDER BY nazwa", "-- x"}, {"SELECT * FROM klienci", "", " ORDER BY miasto"}},
        {{"SELECT * FROM T ORDER BY A"}, {"SELECT * FROM T ", " ORDER BY miasto"}},
        // No clause: it is added; the WHERE clause stays whatever a comment or a name says.
        {{"SELECT * FROM T"}, {"SELECT * FROM T", " ORDER BY miasto"}},
        {{"SELECT ORDER_NO, A", "  FROM T", " WHERE A > 1"}, {"SELECT ORDER_NO, A", "  FROM T", " WHERE A > 1", " ORDER BY miasto"}},
        {{"-- ordered by name", "SELECT * FROM T", " WHERE A > 1"},
         {"-- ordered by name", "SELECT * FROM T", " WHERE A > 1", " ORDER BY miasto"}},
        {{"SELECT 'ORDER BY x' AS S, \"order by\" FROM T /* ORDER BY y */ WHERE A = 1"},
         {"SELECT 'ORDER BY x' AS S, \"order by\" FROM T /* ORDER BY y */ WHERE A = 1", " ORDER BY miasto"}},
        {{"SELECT * FROM (SELECT * FROM T ORDER BY B) WHERE A = 1"},
         {"SELECT * FROM (SELECT * FROM T ORDER BY B) WHERE A = 1", " ORDER BY miasto"}},
        // A LIMIT stays after the clause.
        {{"SELECT * FROM T", "ORDER BY nazwa DESC LIMIT 10"}, {"SELECT * FROM T", "", " ORDER BY miasto", "LIMIT 10"}},
        {{"SELECT * FROM T LIMIT 5"}, {"SELECT * FROM T ", " ORDER BY miasto", "LIMIT 5"}},
        {{"select * from t order", "  by a"}, {"select * from t ", " ORDER BY miasto"}},
    };
    for (const RewriteCase &c : cases)
        EXPECT_EQ(withOrderBy(c.lines, QStringLiteral("miasto")), c.sorted) << c.lines.join(QLatin1Char('|')).toStdString();
}

using SortQueryTest = GridTest;

TEST_F(SortQueryTest, SortsByOneFieldAndFindsItsValueAgain)
{
    openCustomers(QStringLiteral("WHERE KOD > 1"));
    query.setRecNo(1); // O'Brien
    EXPECT_TRUE(SortQuery(query, QStringLiteral("NAZWA")));
    EXPECT_EQ(column("NAZWA"), (QStringList{"Kowalski", "O'Brien", "kowalczyk"}));
    EXPECT_EQ(query.fieldByName("NAZWA")->asString(), QStringLiteral("O'Brien"));
    EXPECT_EQ(query.sql().lines(), (QStringList{"SELECT * FROM klienci", "WHERE KOD > 1", " ORDER BY NAZWA"}));
}

TEST_F(SortQueryTest, SeveralFieldsFindTheCurrentRecordAgain)
{
    openCustomers();
    query.setRecNo(3); // kowalczyk of Łódź
    EXPECT_TRUE(SortQuery(query, QStringLiteral("MIASTO DESC, CENA ASC")));
    EXPECT_EQ(column("NAZWA"), (QStringList{"kowalczyk", "Kowalski", "Nowak", "O'Brien"}));
    EXPECT_EQ(query.recNo(), 0);
    query.setRecNo(2);
    EXPECT_TRUE(SortQuery(query, QStringLiteral("KOD ASC")));
    EXPECT_EQ(query.fieldByName("NAZWA")->asString(), QStringLiteral("Nowak"));
}

TEST_F(SortQueryTest, ARejectedTextIsTakenBackAndAnUnknownFieldChangesNothing)
{
    openCustomers(QStringLiteral("WHERE KOD > 1"));
    EXPECT_THROW(SortQuery(query, QStringLiteral("NIE_MA")), EDatabaseError);
    EXPECT_TRUE(query.active());
    EXPECT_FALSE(SortQuery(query, QStringLiteral("NIE_MA ASC")));
    EXPECT_TRUE(query.active());
    EXPECT_EQ(query.sql().lines(), (QStringList{"SELECT * FROM klienci", "WHERE KOD > 1"}));
    EXPECT_EQ(query.recordCount(), 3);
}

TEST_F(SortQueryTest, OrderByFieldsReadsNamesByCharacterPosition)
{
    const std::pair<QStringList, QStringList> cases[] = {
        {{"SELECT * FROM osoby", "ORDER BY nazwisko DESC, imie"}, {"nazwisko", "imie"}},
        {{"SELECT * FROM osoby ORDER", "BY NAZWA"}, {"NAZWA"}},
        {{"SELECT * FROM osoby ORDER BY"}, {}},
        {{"SELECT * FROM osoby"}, {}},
        // A column ORDER_NO makes the reading start inside its name.
        {{"SELECT ORDER_NO, A FROM T ORDER BY A"}, {"O", "A"}},
        {{"SELECT * FROM T order by a,b ,  c"}, {"a", "b", "c"}},
    };
    for (const auto &[lines, names] : cases) {
        query.sql().assign(lines);
        EXPECT_EQ(OrderByFields(query), names) << lines.join(QLatin1Char('|')).toStdString();
    }
}

} // namespace
