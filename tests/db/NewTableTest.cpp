// Results copied into new dBASE and Paradox tables (the batch move of the table exports): every
// value kept as the program shows it, or refused before anything is written.
#include "DbTestSupport.h"

#include "db/Query.h"
#include "db/Table.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

using testsupport::DbTest;

namespace {

// The integer a value is exactly, if it is one: an integer, or a whole double in 64-bit range.
std::optional<qint64> exactInteger(const Cell &cell)
{
    if (cell.kind == Cell::Integer)
        return cell.i;
    if (cell.kind == Cell::Real && cell.r == std::trunc(cell.r) && std::fabs(cell.r) < 0x1p63)
        return static_cast<qint64>(cell.r);
    return std::nullopt;
}

class NewTable : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        source = std::make_unique<Query>(*db);
    }

    // The result of the statement copied into the table of that name.
    void copy(const QString &sql, const QString &name)
    {
        source->close();
        source->sql().assign({sql});
        Table destination(*db);
        destination.setTableName(name);
        BatchMove move;
        move.source = source.get();
        move.destination = &destination;
        move.execute();
    }

    // The message the copy is refused with; empty when it is not.
    QString refusal(const QString &sql, const QString &name)
    {
        try {
            copy(sql, name);
        } catch (const EDatabaseError &e) {
            return e.message();
        }
        return QString();
    }

    // The source's values of a field, as dbf_digits.py takes them: integers as they are, doubles
    // with the 17 digits that give them back exactly.
    QStringList exactValues(const QString &field) const
    {
        QStringList values;
        const Field *f = source->fieldByName(field);
        for (int r = 0; r < source->recordCount(); ++r) {
            const Cell cell = f->cellAt(source->rowOf(r));
            values.append(cell.isNull() ? QStringLiteral("NULL")
                          : cell.kind == Cell::Integer ? QString::number(cell.i)
                                                       : QString::number(cell.r, 'g', 17));
        }
        return values;
    }

    // The field's definition and any record whose digits differ from the oracle's.
    QString digitCheck(const QString &table, const QString &field)
    {
        QByteArray out, err;
        const int rc = testsupport::run(KWERIX_PYTHON, QStringList{KWERIX_SOURCE_DIR "/tests/db/dbf_digits.py", path(table), field}
                                                           + exactValues(field),
                                        &out, &err);
        EXPECT_EQ(rc, 0) << err.toStdString();
        return QString::fromUtf8(out).trimmed();
    }

    // The values of a field as this program reads the new table back, compared with the source's.
    void expectReadBack(const QString &table, const QString &field)
    {
        Query copied(*db);
        copied.sql().assign({QStringLiteral("SELECT \"%1\" FROM \"%2\"").arg(field, table)});
        copied.open();
        const Field *original = source->fieldByName(field);
        ASSERT_EQ(copied.recordCount(), source->recordCount());
        for (int r = 0; r < source->recordCount(); ++r) {
            const Cell before = original->cellAt(source->rowOf(r));
            const Cell after = copied.field(0)->cellAt(copied.rowOf(r));
            if (before.kind == Cell::Integer)
                EXPECT_EQ(exactInteger(after), before.i) << field.toStdString();
            else
                EXPECT_EQ(numbers::formatFloat(after.asDouble()), numbers::formatFloat(before.asDouble())) << field.toStdString();
        }
    }

    std::unique_ptr<Query> source;
};

struct DigitCase {
    const char *values; // a VALUES list of one column
    const char *field;  // as python3-dbf gives its definition
};

void PrintTo(const DigitCase &c, std::ostream *os)
{
    *os << c.values;
}

class DbaseNumbers : public NewTable, public ::testing::WithParamInterface<DigitCase> {};

TEST_P(DbaseNumbers, KeepEveryDigitTheProgramShows)
{
    copy(QStringLiteral("SELECT column1 AS X FROM (VALUES %1)").arg(QString::fromUtf8(GetParam().values)), "liczby.dbf");
    EXPECT_EQ(digitCheck("liczby.dbf", "X"), QString::fromUtf8(GetParam().field));
    expectReadBack("liczby.dbf", "X");
}

INSTANTIATE_TEST_SUITE_P(
    Values, DbaseNumbers,
    ::testing::Values(DigitCase{"(0.000001234)", "N(11,9)"}, DigitCase{"(-0.000001)", "N(9,6)"},
                      DigitCase{"(0.001234)", "N(8,6)"}, DigitCase{"(1e-7)", "N(9,7)"},
                      DigitCase{"(1e15)", "N(16,0)"}, DigitCase{"(-9.3e14)", "N(16,0)"},
                      DigitCase{"(1e19)", "N(20,0)"}, DigitCase{"(9223372036854775807)", "N(19,0)"},
                      DigitCase{"(-9223372036854775808)", "N(20,0)"}, DigitCase{"(9007199254740993)", "N(16,0)"},
                      DigitCase{"(1.0 / 3)", "N(17,15)"}, DigitCase{"(0.1 + 0.2)", "N(3,1)"},
                      DigitCase{"(123456789.123456789)", "N(16,6)"}, DigitCase{"(-2.5), (1e15)", "N(18,1)"},
                      DigitCase{"(0.000001234), (-1234567.5)", "N(18,9)"}, DigitCase{"(NULL), (7), (-12)", "N(3,0)"},
                      DigitCase{"(1.5), (NULL)", "N(3,1)"}, DigitCase{"(-0.0)", "N(1,0)"}),
    testsupport::CaseIndex());

TEST_F(NewTable, DbaseAmountsKeepTheirPlacesWhereTheyFit)
{
    // SALDO is N(12,2): its copy keeps the two places, and takes more when a value needs them.
    copy("SELECT SALDO FROM \"klienci.dbf\"", "saldo.dbf");
    EXPECT_EQ(digitCheck("saldo.dbf", "SALDO"), QStringLiteral("N(12,2)"));
    copy("SELECT SALDO FROM \"klienci.dbf\" UNION ALL SELECT 0.125", "saldo.dbf");
    EXPECT_EQ(digitCheck("saldo.dbf", "SALDO"), QStringLiteral("N(12,3)"));
    expectReadBack("saldo.dbf", "SALDO");
}

struct RefusalCase {
    const char *sql;
    const char *table;
    const char *message; // followed by a line naming the table
};

void PrintTo(const RefusalCase &c, std::ostream *os)
{
    *os << c.sql << " into " << c.table;
}

class Refused : public NewTable, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refused, ValuesTheTableCantHoldBeforeAnythingIsWritten)
{
    const QString table = QString::fromUtf8(GetParam().table);
    testsupport::writeBytes(path(table), "stara tabela");
    EXPECT_EQ(refusal(QString::fromUtf8(GetParam().sql), table),
              QString::fromUtf8(GetParam().message) + QStringLiteral("\nTabela: ") + path(table));
    EXPECT_EQ(testsupport::readBytes(path(table)), QByteArray("stara tabela"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".kw"), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Values, Refused,
    ::testing::Values(
        RefusalCase{"SELECT 1 AS N UNION ALL SELECT 1e20", "a.dbf",
                    "Pole N, rekord 2: liczba 1E20 zapisana cyframi ma 21 znaków, a pole liczbowe tabeli dBASE mieści "
                    "najwyżej 20. Zaokrąglij ją w zapytaniu."},
        RefusalCase{"SELECT -1e19 AS N", "a.dbf",
                    "Pole N, rekord 1: liczba -1E19 zapisana cyframi ma 21 znaków, a pole liczbowe tabeli dBASE mieści "
                    "najwyżej 20. Zaokrąglij ją w zapytaniu."},
        RefusalCase{"SELECT 1.5e-19 AS N", "a.dbf",
                    "Pole N, rekord 1: liczba 1,5E-19 zapisana cyframi ma 22 znaki, a pole liczbowe tabeli dBASE mieści "
                    "najwyżej 20. Zaokrąglij ją w zapytaniu."},
        RefusalCase{"SELECT -12345.5 AS N UNION ALL SELECT 2.0 / 3", "a.dbf",
                    "Pole N, rekord 2: liczba 0,666666666666667 nie zmieści się w jednym polu z wcześniejszymi liczbami "
                    "tej kolumny: razem potrzebują 6 znaków przed przecinkiem i 15 po nim, a pole liczbowe tabeli dBASE "
                    "mieści najwyżej 20. Zaokrąglij je w zapytaniu."},
        RefusalCase{"SELECT 1e308 * 10 AS N", "a.dbf",
                    "Pole N, rekord 1: wartości INF nie można zapisać w tabeli dBASE: nie jest liczbą skończoną."},
        RefusalCase{"SELECT 1 AS N UNION ALL SELECT -1e308 * 10", "a.dbf",
                    "Pole N, rekord 2: wartości -INF nie można zapisać w tabeli dBASE: nie jest liczbą skończoną."},
        RefusalCase{"SELECT SALDO FROM \"klienci.dbf\" WHERE ILOSC = 7 UNION ALL SELECT 'dużo'", "a.dbf",
                    "Pole SALDO, rekord 2: 'dużo' nie jest liczbą."},
        RefusalCase{"SELECT 'a' AS T UNION ALL SELECT 'zł ' || char(20013)", "a.dbf",
                    "Pole T, rekord 2: znaku \"中\" nie ma w stronie kodowej Windows-1250."},
        RefusalCase{"SELECT CAST(x'41FF42' AS TEXT) AS T", "a.db",
                    "Pole T, rekord 1: tekst zawiera bajty, które nie są poprawnym tekstem (UTF-8)."},
        RefusalCase{"SELECT 'ab' || char(26) || substr(hex(zeroblob(200)), 1, 300) AS M", "a.dbf",
                    "Pole M, rekord 1: wartość zawiera bajt 0x1A (Ctrl+Z), którym plik memo tabeli dBASE kończy wpis: "
                    "reszta by przepadła. Tabela Paradox (.db) przechowuje ją w całości."},
        RefusalCase{"SELECT 9223372036854775807 AS N", "a.db",
                    "Pole N, rekord 1: liczby całkowitej 9223372036854775807 nie można zapisać w tabeli Paradox bez "
                    "zmiany: jej pole liczbowe przechowuje dokładnie liczby całkowite tylko do 2^53 (9007199254740992). "
                    "Tabela dBASE (.dbf) przechowuje ją dokładnie."},
        RefusalCase{"SELECT 1 AS N UNION ALL SELECT -9007199254740993", "a.db",
                    "Pole N, rekord 2: liczby całkowitej -9007199254740993 nie można zapisać w tabeli Paradox bez "
                    "zmiany: jej pole liczbowe przechowuje dokładnie liczby całkowite tylko do 2^53 (9007199254740992). "
                    "Tabela dBASE (.dbf) przechowuje ją dokładnie."},
        RefusalCase{"SELECT Kod FROM \"towary.db\" UNION ALL SELECT 9007199254740993", "a.db",
                    "Pole Kod, rekord 5: liczby całkowitej 9007199254740993 nie można zapisać w tabeli Paradox bez "
                    "zmiany: jej pole liczbowe przechowuje dokładnie liczby całkowite tylko do 2^53 (9007199254740992). "
                    "Tabela dBASE (.dbf) przechowuje ją dokładnie."}),
    testsupport::CaseIndex());

// A result holds no NaN (SQLite makes it null); a value given to a new table directly can be one.
TEST_F(NewTable, NanIsRefusedByBothKinds)
{
    const FieldValues nan{1, [](qint64) { return Cell::real(std::numeric_limits<double>::quiet_NaN()); }};
    const FieldDef field{QStringLiteral("X"), FieldType::ftFloat};
    for (const char *table : {"n.dbf", "n.db"}) {
        try {
            TableFile::fitField(path(table), field, nan);
            ADD_FAILURE() << table;
        } catch (const EDatabaseError &e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Pole X, rekord 1: wartości NAN nie można zapisać"))) << e.what();
        }
    }
}

// The engine fits no field to its values: the table itself refuses an integer a double would change.
TEST_F(NewTable, ParadoxNumbersTakeOnlyIntegersTheyHoldExactly)
{
    const std::vector<FieldDef> fields{{QStringLiteral("N"), FieldType::ftLargeint}};
    for (const Cell &value : {Cell::integer(9007199254740993), Cell::integer(std::numeric_limits<qint64>::min()),
                              Cell::text("9007199254740993")}) {
        bool given = false;
        try {
            TableFile::create(path("n.db"), fields, [&](Row &row) {
                row = {value};
                return !std::exchange(given, true);
            });
            ADD_FAILURE() << value.asText().toStdString();
        } catch (const EDBEngineError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("Field N: %1 is beyond 2^53, the largest integer a Paradox number holds "
                                                  "exactly.\nTable: %2").arg(value.asText(), path("n.db")));
        }
        EXPECT_FALSE(QFile::exists(path("n.db")));
    }
}

TEST_F(NewTable, ParadoxIntegersGoIntoTheSmallestTypeThatHoldsThem)
{
    copy("SELECT Ilosc, Kod AS Duzy, Kod AS Ulamek, Kod AS Krotki FROM \"towary.db\" "
         "UNION ALL SELECT 40000, 5000000000, 1.5, 7 UNION ALL SELECT -32767, -9007199254740992, -2, -2147483647",
         "typy.db");
    const QString px = pxcheck("typy.db");
    EXPECT_TRUE(px.contains("fields = [('Ilosc', 'long', 4), ('Duzy', 'number', 8), ('Ulamek', 'number', 8), "
                            "('Krotki', 'long', 4)]"))
        << px.toStdString();
    EXPECT_TRUE(px.contains("[40000, 5000000000.0, 1.5, 7]")) << px.toStdString();
    EXPECT_TRUE(px.contains("[-32767, -9007199254740992.0, -2.0, -2147483647]")) << px.toStdString();
    for (const char *field : {"Ilosc", "Duzy", "Ulamek", "Krotki"})
        expectReadBack("typy.db", field);
}

TEST_F(NewTable, ParadoxNumbersHoldInfinity)
{
    copy("SELECT 1e308 * 10 AS A, -1e308 * 10 AS B, 9007199254740992 AS C", "inf.db");
    EXPECT_TRUE(pxcheck("inf.db").contains("[inf, -inf, 9007199254740992.0]"));
    for (const char *field : {"A", "B", "C"})
        expectReadBack("inf.db", field);
}

// dBASE keeps the bytes of a text holding a NUL; Paradox does the same in a memo, since its text
// fields end at one.
TEST_F(NewTable, TextsHoldingANulKeepEveryByteInBothKinds)
{
    const QString sql = QStringLiteral("SELECT 'a' || char(0) || 'b' AS T, 'x' || char(0) || substr(hex(zeroblob(200)), 1, 300) AS D");
    copy(sql, "nul.dbf");
    copy(sql, "nul.db");
    const QString zeros = QString(300, QLatin1Char('0'));
    EXPECT_EQ(pydbf("nul.dbf", "[tuple(r) for r in t]"), QStringLiteral("[('a\\x00b', 'x\\x00%1')]").arg(zeros));
    EXPECT_TRUE(pxcheck("nul.db", "nul.mb").contains(QStringLiteral("['a\\x00b', 'x\\x00%1']").arg(zeros)));
    for (const char *table : {"nul.dbf", "nul.db"}) {
        const auto read = rows(QStringLiteral("SELECT hex(T), length(CAST(D AS BLOB)) FROM \"%1\"").arg(table));
        EXPECT_EQ(read, (std::vector<QStringList>{{"610062", "302"}})) << table;
    }
}

// A dBASE III memo ends at the byte 0x1A (refused there); a Paradox memo has its length.
TEST_F(NewTable, ParadoxMemosKeepCtrlZ)
{
    copy("SELECT 'ab' || char(26) || substr(hex(zeroblob(200)), 1, 300) AS M", "z.db");
    EXPECT_TRUE(pxcheck("z.db", "z.mb").contains(QStringLiteral("['ab\\x1a%1']").arg(QString(300, QLatin1Char('0')))));
    EXPECT_EQ(rows("SELECT length(M) FROM \"z.db\""), (std::vector<QStringList>{{"303"}}));
}

TEST_F(NewTable, ATrailingDotNamesNoExtension)
{
    QDir(dir.path()).mkpath("dane.v2");
    const struct {
        const char *name;
        const char *file;
    } cases[] = {
        {"kropka.", "kropka.db"}, {"kropki...", "kropki.db"},         {"bez", "bez.db"},
        {"wynik.dbf.", "wynik.dbf"}, {"dane.v2/tabela", "dane.v2/tabela.db"}, {"dane.v2\\inna.", "dane.v2/inna.db"},
        {".db", ".db"},
    };
    for (const auto &c : cases) {
        copy("SELECT 1 AS N", QString::fromUtf8(c.name));
        EXPECT_TRUE(QFileInfo(path(c.file)).isFile()) << c.name;
    }
    EXPECT_EQ(QDir(dir.path()).entryList({"*.db", "*..*"}, QDir::Files),
              (QStringList{"bez.db", "cennik.db", "kropka.db", "kropki.db", "towary.db"}));
    EXPECT_EQ(pydbf("wynik.dbf", "[tuple(r) for r in t]"), QStringLiteral("[(1,)]"));
    // A name of dots alone is a folder.
    EXPECT_EQ(refusal("SELECT 1 AS N", "."), "The table can't be written: Is a directory\nTable: " + path("."));
}

} // namespace
