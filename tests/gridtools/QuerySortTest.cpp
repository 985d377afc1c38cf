// The ORDER BY rewrite of SortQuery, the sort itself on the engine, and OrderByFields.
#include "GridToolsTestSupport.h"

#include "gridtools/DBGridPopupMenu.h"
#include "gridtools/QuerySort.h"

#include <algorithm>

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
        // The clause goes before the ";" that ends the statement.
        {{"SELECT * FROM T;"}, {"SELECT * FROM T", " ORDER BY miasto", ";"}},
        {{"SELECT * FROM T", "ORDER BY a;", ""}, {"SELECT * FROM T", "", " ORDER BY miasto", ";", ""}},
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
    EXPECT_EQ(column("NAZWA"), (QStringList{"kowalczyk", "Kowalski", "O'Brien"}));
    EXPECT_EQ(query.fieldByName("NAZWA")->asString(), QStringLiteral("O'Brien"));
    // The table's text column had the order of bytes.
    EXPECT_EQ(query.sql().lines(), (QStringList{"SELECT * FROM klienci", "WHERE KOD > 1", " ORDER BY NAZWA COLLATE PL"}));
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

TEST_F(SortQueryTest, SortsByFieldsWhoseNamesTheStatementDoesNotKnowAsSuch)
{
    // A trailing ";", an alias with a blank, a second column of one name (NR_1), an expression
    // without an alias.
    const struct {
        QStringList sql;
        const char *field;
        QStringList sorted;
    } cases[] = {
        {{"SELECT KOD, NAZWA FROM klienci;"}, "KOD", {"1", "2", "3", "4"}},
        {{"SELECT KOD AS \"Nr klienta\", NAZWA FROM klienci"}, "Nr klienta", {"1", "2", "3", "4"}},
        {{"SELECT CENA AS NR, KOD AS NR FROM klienci"}, "NR_1", {"1", "2", "3", "4"}},
        {{"SELECT KOD * 2 FROM klienci"}, "KOD * 2", {"2", "4", "6", "8"}},
        {{"SELECT KOD, NAZWA FROM klienci k JOIN (SELECT 1 AS KOD) j USING (KOD)", "UNION ALL SELECT 5, 'x'"}, "KOD",
         {"1", "5"}},
    };
    for (const auto &c : cases) {
        query.close();
        query.sql().assign(c.sql);
        query.open();
        QString refusal;
        EXPECT_TRUE(SortQuery(query, QString::fromUtf8(c.field), &refusal)) << c.field << " " << refusal.toStdString();
        EXPECT_EQ(column(QString::fromUtf8(c.field)), c.sorted) << c.field;
    }
}

TEST_F(SortQueryTest, TextsSortInThePolishOrder)
{
    // Whether the column is a table's or computed: the alphabet, then letter case.
    database.execute(QStringLiteral("CREATE TEMP TABLE miasta (NAZWA VARCHAR(20))"));
    database.execute(QStringLiteral("INSERT INTO miasta VALUES ('Zakopane'), ('Łódź'), ('Łeba'), ('Lublin'), ('Ełk'),"
                                    " ('Elbląg'), ('Żory'), ('Ząbki'), ('Środa'), ('Sopot'), ('łeba'), ('Źródła'), ('Ćmielów'), ('Cieszyn')"));
    const QStringList polish{"Cieszyn", "Ćmielów", "Elbląg", "Ełk",   "Lublin", "łeba",   "Łeba",
                             "Łódź",    "Sopot",   "Środa",  "Zakopane", "Ząbki", "Źródła", "Żory"};
    for (const char *select : {"SELECT NAZWA FROM miasta", "SELECT NAZWA || '' AS NAZWA FROM miasta"}) {
        query.close();
        query.sql().assign({QString::fromUtf8(select)});
        query.open();
        EXPECT_TRUE(SortQuery(query, QStringLiteral("NAZWA")));
        EXPECT_EQ(column("NAZWA"), polish) << select;
        EXPECT_TRUE(SortQuery(query, QStringLiteral("NAZWA DESC")));
        QStringList reversed = polish;
        std::reverse(reversed.begin(), reversed.end());
        EXPECT_EQ(column("NAZWA"), reversed) << select;
    }
}

TEST_F(SortQueryTest, AComputedDateTimeFindsItsRecordAgain)
{
    openInvoices();
    query.setRecNo(1); // ODEBRANO 2024-03-02 10:00:00
    EXPECT_TRUE(SortQuery(query, QStringLiteral("ODEBRANO")));
    EXPECT_EQ(column("NR"), (QStringList{"4", "3", "2", "1"}));
    EXPECT_EQ(query.fieldByName("NR")->asInteger(), 2);
}

TEST_F(SortQueryTest, InfinitiesAreFoundAgainAndFiltered)
{
    database.execute(QStringLiteral("CREATE TEMP TABLE skrajne (NR INTEGER, KWOTA FLOAT)"));
    database.execute(QStringLiteral("INSERT INTO skrajne VALUES (1, 9e999), (2, -9e999), (3, 1e300), (4, NULL)"));
    query.close();
    query.sql().assign({"SELECT * FROM skrajne"});
    query.open();
    for (const int record : {0, 1}) {
        for (const char *clause : {"KWOTA", "KWOTA DESC"}) {
            query.setRecNo(query.recordCount() - 1);
            ASSERT_TRUE(query.locate(QStringLiteral("NR"), record + 1));
            EXPECT_TRUE(SortQuery(query, QString::fromLatin1(clause))) << clause;
            EXPECT_EQ(query.fieldByName("NR")->asInteger(), record + 1) << clause;
        }
    }
    query.setFilter(QStringLiteral("KWOTA = '-INF'"));
    query.setFiltered(true);
    EXPECT_EQ(column("NR"), QStringList{"2"});
}

TEST_F(SortQueryTest, ASortTheEngineRefusesIsNamedInTheStatus)
{
    openCustomers();
    sortQuery(query, QStringLiteral("NIE_MA DESC"), ui);
    EXPECT_EQ(ui.statuses, QStringList{"Sortowanie nie zostało wykonane: no such column: NIE_MA"});
    EXPECT_EQ(query.sql().lines(), QStringList{"SELECT * FROM klienci"});
    EXPECT_TRUE(query.active());
    sortQuery(query, QStringLiteral("NAZWA DESC"), ui);
    EXPECT_EQ(ui.statuses.size(), 1);
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
