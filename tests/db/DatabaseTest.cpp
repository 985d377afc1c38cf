#include "DbTestSupport.h"

#include "platform/Errors.h"

#include <QFile>

using testsupport::DbTest;

TEST_F(DbTest, ReadsDbaseTablesWrittenByAnotherProgram)
{
    const auto r = rows("SELECT NAZWA, MIASTO, SALDO, ILOSC, OD, AKTYWNY, length(UWAGI) FROM \"klienci.dbf\"");
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0], (QStringList{"Zakład Łódź", "Łódź", "1234.5", "7", "2024-03-05", "1", "1280"}));
    EXPECT_EQ(r[1], (QStringList{"Kowalski Jan", "Kraków", "-2.25", "NULL", "NULL", "0", "0"}));
    EXPECT_EQ(r[2], (QStringList{"Nowak", "Warszawa", "0.0", "3", "1999-12-31", "NULL", "6"}));
    EXPECT_EQ(r[3][0], QStringLiteral("Wcięty"));
    EXPECT_EQ(declaredTypes("SELECT * FROM \"klienci.dbf\""),
              (QStringList{"VARCHAR(30)", "VARCHAR(20)", "FLOAT(12,2)", "INTEGER(5,0)", "DATE TEXT", "BOOLEAN", "MEMO TEXT"}));
}

TEST_F(DbTest, ReadsFoxProMemos)
{
    const auto r = rows("SELECT KOD, TRESC, length(TRESC) FROM 'notatki.dbf' ORDER BY KOD");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0][1], QStringLiteral("Pierwsza notatka ąęś"));
    EXPECT_EQ(r[2][2], QStringLiteral("3000"));
}

TEST_F(DbTest, UpdatesAndDeletesReachTheFile)
{
    rows("UPDATE \"klienci.dbf\" SET SALDO = SALDO + 1, UWAGI = 'nowa notatka' WHERE NAZWA = 'Nowak'");
    rows("DELETE FROM \"klienci.dbf\" WHERE NAZWA LIKE 'Kow%'");
    rows("INSERT INTO \"klienci.dbf\" (NAZWA, SALDO, OD) VALUES ('Nowy', 5.5, '2025-01-02')");
    EXPECT_EQ(pydbf("klienci.dbf", "[(r.nazwa.strip(), r.saldo, r.uwagi) for r in t if not dbf.is_deleted(r)]"),
              QStringLiteral("[('Zakład Łódź', 1234.5, '%1'), ('Nowak', 1.0, 'nowa notatka'), ('Wcięty', None, ''), "
                             "('Nowy', 5.5, '')]").arg(QStringLiteral("Stały klient, płaci w terminie. ").repeated(40)));
    const auto r = rows("SELECT count(*) FROM \"klienci.dbf\"");
    EXPECT_EQ(r[0][0], QStringLiteral("4"));
}
