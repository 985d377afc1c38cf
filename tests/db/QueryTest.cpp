#include "DbTestSupport.h"

#include "db/Query.h"
#include "platform/Errors.h"

#include <QSignalSpy>

using testsupport::DbTest;

struct ParamCase {
    const char *sql;
    QStringList occurrences;
    const char *engineText;
};

class ParameterParsing : public ::testing::TestWithParam<ParamCase> {};

TEST_P(ParameterParsing, FindsParametersOutsideLiteralsAndComments)
{
    QStringList occurrences;
    EXPECT_EQ(parseParameters(QString::fromUtf8(GetParam().sql), occurrences), QString::fromUtf8(GetParam().engineText));
    EXPECT_EQ(occurrences, GetParam().occurrences);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParameterParsing, ::testing::Values(
    ParamCase{"SELECT * FROM t WHERE a = :dataOd AND b < :ILE", {"dataOd", "ILE"}, "SELECT * FROM t WHERE a = ? AND b < ?"},
    ParamCase{"SELECT ':nie' , \"a:b\", [c:d], `e:f` FROM t", {}, "SELECT ':nie' , \"a:b\", [c:d], `e:f` FROM t"},
    ParamCase{"SELECT 1 -- :komentarz\nFROM t /* :też */ WHERE x = :x", {"x"}, "SELECT 1 -- :komentarz\nFROM t /* :też */ WHERE x = ?"},
    ParamCase{"SELECT a::int, :STRnazwa, :a2, : b", {"STRnazwa", "a2"}, "SELECT a::int, ?, ?, : b"},
    ParamCase{"SELECT 'it''s :x'", {}, "SELECT 'it''s :x'"},
    ParamCase{"SELECT :żółw", {"żółw"}, "SELECT ?"}), testsupport::CaseIndex());

class QueryTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        query = std::make_unique<Query>(*db);
    }
    void TearDown() override
    {
        query.reset();
        DbTest::TearDown();
    }
    void openSql(const QString &sql)
    {
        query->close();
        query->sql().assign({sql});
        query->open();
    }
    std::unique_ptr<Query> query;
};

TEST_F(QueryTest, ParametersAreReadAgainOnEveryChangeAndKeepTheirValues)
{
    query->sql().assign({"SELECT * FROM \"klienci.dbf\"", "WHERE SALDO > :kwota"});
    ASSERT_EQ(query->paramCount(), 1);
    query->param(0).setAsFloat(1);
    query->sql().beginUpdate();
    query->sql().append("AND OD >= :DATAOD");
    query->sql().append("OR SALDO > :KWOTA");
    EXPECT_EQ(query->paramCount(), 1);
    query->sql().endUpdate();
    ASSERT_EQ(query->paramCount(), 2);
    EXPECT_EQ(query->param(0).name(), QStringLiteral("kwota"));
    EXPECT_EQ(query->param(0).asString(), QStringLiteral("1"));
    EXPECT_EQ(query->param(1).name(), QStringLiteral("DATAOD"));
    EXPECT_THROW(query->paramByName("brak"), EDatabaseError);
    EXPECT_EQ(query->text(),
              QStringLiteral("SELECT * FROM \"klienci.dbf\"\r\nWHERE SALDO > ?\r\nAND OD >= ?\r\nOR SALDO > ?\r\n"));
}

TEST_F(QueryTest, DateParametersCompareWithIsoDatesAndTextSummaries)
{
    query->sql().assign({"SELECT NAZWA FROM \"klienci.dbf\" WHERE OD >= :dataOd AND OD < '2025-01-01' ORDER BY OD"});
    query->paramByName("dataOd").setAsDate(QDate(2000, 1, 1));
    EXPECT_EQ(query->param(0).asString(), QStringLiteral("01.01.2000"));
    query->open();
    ASSERT_EQ(query->recordCount(), 2);
    EXPECT_EQ(query->fieldByName("nazwa")->asString(), QStringLiteral("Wcięty"));
}

TEST_F(QueryTest, AParameterWithoutValueStopsTheRun)
{
    query->sql().assign({"SELECT * FROM \"klienci.dbf\" WHERE ILOSC = :ILE"});
    try {
        query->open();
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("No value for parameter 'ILE'"));
    }
    EXPECT_FALSE(query->active());
}

TEST_F(QueryTest, FieldsTellTheirTypesAndTextsFollowTheRegionalSettings)
{
    openSql("SELECT NAZWA, SALDO, ILOSC, OD, AKTYWNY, UWAGI, SUM(SALDO) OVER () AS RAZEM, MAX(OD) OVER () AS OST, "
            "'x' || NAZWA AS WYR, 1 AS JEDEN, NULL AS PUSTE FROM \"klienci.dbf\"");
    const struct {
        const char *name;
        FieldType type;
        const char *first;
    } expected[] = {
        {"NAZWA", FieldType::ftString, "Zakład Łódź"}, {"SALDO", FieldType::ftFloat, "1234,5"},
        {"ILOSC", FieldType::ftInteger, "7"}, {"OD", FieldType::ftDate, "05.03.2024"},
        {"AKTYWNY", FieldType::ftBoolean, "True"}, {"UWAGI", FieldType::ftMemo, nullptr},
        {"RAZEM", FieldType::ftFloat, "1232,25"}, {"OST", FieldType::ftDate, "05.03.2024"},
        {"WYR", FieldType::ftString, "xZakład Łódź"}, {"JEDEN", FieldType::ftInteger, "1"},
        {"PUSTE", FieldType::ftString, ""},
    };
    ASSERT_EQ(query->fieldCount(), 11);
    for (int i = 0; i < 11; ++i) {
        const Field *f = query->field(i);
        EXPECT_EQ(f->fieldName(), QString::fromUtf8(expected[i].name));
        EXPECT_EQ(f->dataType(), expected[i].type) << expected[i].name;
        if (expected[i].first) {
            EXPECT_EQ(f->asString(), QString::fromUtf8(expected[i].first)) << expected[i].name;
        }
    }
    EXPECT_TRUE(query->fieldByName("UWAGI")->isBlob());
    EXPECT_EQ(query->fieldByName("NAZWA")->size(), 30);
    EXPECT_DOUBLE_EQ(query->fieldByName("SALDO")->asFloat(), 1234.5);
    EXPECT_EQ(query->fieldByName("ILOSC")->asInteger(), 7);
    EXPECT_EQ(query->fieldByName("OD")->asVariant(), QVariant(QDate(2024, 3, 5)));
    EXPECT_TRUE(query->fieldByName("PUSTE")->isNull());
    EXPECT_FALSE(query->fieldByName("PUSTE")->asVariant().isValid());
    EXPECT_EQ(query->findField("brak"), nullptr);
    try {
        query->fieldByName("brak");
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Field 'brak' not found"));
    }
    query->next();
    EXPECT_TRUE(query->fieldByName("ILOSC")->isNull());
    EXPECT_EQ(query->fieldByName("ILOSC")->asString(), QString());
    EXPECT_EQ(query->fieldByName("OD")->asString(), QString());
}

TEST_F(QueryTest, ConversionsOfTextFieldsRaiseConversionErrors)
{
    openSql("SELECT NAZWA, '12,5' AS LICZBA FROM \"klienci.dbf\"");
    EXPECT_THROW(query->fieldByName("NAZWA")->asFloat(), EConvertError);
    EXPECT_THROW(query->fieldByName("NAZWA")->asInteger(), EConvertError);
    EXPECT_DOUBLE_EQ(query->fieldByName("LICZBA")->asFloat(), 12.5);
}

TEST_F(QueryTest, ForwardPassVisitsEveryRecordOnce)
{
    openSql("SELECT NAZWA FROM \"klienci.dbf\"");
    EXPECT_EQ(query->recordCount(), 4);
    QStringList names;
    for (query->first(); !query->eof(); query->next())
        names.append(query->field(0)->asString());
    EXPECT_EQ(names, (QStringList{"Zakład Łódź", "Kowalski Jan", "Nowak", "Wcięty"}));
    openSql("SELECT * FROM \"klienci.dbf\" WHERE 0");
    EXPECT_EQ(query->recordCount(), 0);
    EXPECT_TRUE(query->eof());
    EXPECT_EQ(query->fieldCount(), 7);
}

TEST_F(QueryTest, DisplayTextComesFromTheHandlerWhereverItIsAsked)
{
    openSql("SELECT SALDO FROM \"klienci.dbf\"");
    Field *saldo = query->field(0);
    EXPECT_EQ(saldo->displayText(), QStringLiteral("1234,5"));
    saldo->setOnGetText([](const Field &f, qsizetype row) { return QStringLiteral("<%1>").arg(f.asStringAt(row)); });
    EXPECT_EQ(saldo->displayText(), QStringLiteral("<1234,5>"));
    EXPECT_EQ(saldo->displayTextAt(query->rowOf(1)), QStringLiteral("<-2,25>"));
}

TEST_F(QueryTest, OpenAndCloseNotifyViews)
{
    QSignalSpy resets(query.get(), &DataSet::resetDone);
    openSql("SELECT 1");
    EXPECT_EQ(resets.count(), 1);
    query->close();
    query->close();
    EXPECT_EQ(resets.count(), 2);
    EXPECT_FALSE(query->active());
    EXPECT_EQ(query->fieldCount(), 0);
}

TEST_F(QueryTest, StatementsWithoutRowsRunThroughExecSql)
{
    query->sql().assign({"UPDATE \"notatki.dbf\" SET TRESC = :STRtresc WHERE KOD = :kod"});
    query->paramByName("STRtresc").setAsString("zmieniona");
    query->paramByName("kod").setAsFloat(2);
    EXPECT_FALSE(query->returnsRows());
    query->execSQL();
    EXPECT_THROW(query->open(), EDatabaseError);
    openSql("SELECT TRESC FROM \"notatki.dbf\" WHERE KOD = 2");
    EXPECT_EQ(query->field(0)->asString(), QStringLiteral("zmieniona"));
    query->sql().assign({"WITH a AS (SELECT 1 AS x) SELECT x FROM a"});
    EXPECT_TRUE(query->returnsRows());
}

TEST_F(QueryTest, DuplicateColumnNamesGetSuffixes)
{
    openSql("SELECT a.KOD, b.KOD, a.KOD FROM \"notatki.dbf\" a JOIN \"notatki.dbf\" b ON a.KOD = b.KOD");
    EXPECT_EQ(query->field(0)->fieldName(), QStringLiteral("KOD"));
    EXPECT_EQ(query->field(1)->fieldName(), QStringLiteral("KOD_1"));
    EXPECT_EQ(query->field(2)->fieldName(), QStringLiteral("KOD_2"));
}
