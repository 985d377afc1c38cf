#include "GridToolsTestSupport.h"

QString shownSum(double a, double b)
{
    const QString program = QStringLiteral(
        "import sys\n"
        "from decimal import Decimal, ROUND_HALF_EVEN\n"
        "s = float(sys.argv[1]) + float(sys.argv[2])\n"
        "print(str(Decimal(repr(s)).quantize(Decimal('0.01'), ROUND_HALF_EVEN)).replace('.', ','))\n");
    QByteArray out;
    EXPECT_EQ(testsupport::run(KWERIX_PYTHON, {"-c", program, QString::number(a, 'g', 17), QString::number(b, 'g', 17)}, &out), 0);
    return QString::fromLatin1(out).trimmed();
}

void GridTest::SetUp()
{
    FolderTest::SetUp();
    database.execute(QStringLiteral("CREATE TEMP TABLE klienci (KOD INTEGER, NAZWA VARCHAR(30), MIASTO VARCHAR(20), "
                                    "CENA FLOAT, OPIS MEMO)"));
    database.execute(QStringLiteral(
        "INSERT INTO klienci VALUES (3, 'Kowalski', 'Łódź', 10.5, 'stały'), (1, 'Nowak', 'Kraków', 7.25, NULL),"
        " (2, 'O''Brien', 'Gdańsk', 12, 'nowy'), (4, 'kowalczyk', 'Łódź', 3, NULL)"));
    grid = std::make_unique<DBGrid>(model);
    grid->resize(600, 300);
}

void GridTest::TearDown()
{
    grid.reset();
    query.close();
    FolderTest::TearDown();
}

void GridTest::openCustomers(const QString &orderBy)
{
    query.close();
    query.sql().assign(orderBy.isEmpty() ? QStringList{"SELECT * FROM klienci"}
                                         : QStringList{"SELECT * FROM klienci", orderBy});
    query.open();
}

void GridTest::openInvoices()
{
    database.execute(QStringLiteral("CREATE TEMP TABLE faktury (NR INTEGER, NETTO FLOAT, VAT FLOAT, DATA DATE, "
                                    "WYSLANO TIMESTAMP, ZAPLACONO BOOLEAN)"));
    database.execute(QStringLiteral("INSERT INTO faktury VALUES (1, 36816.88, 8467.88, '2020-01-12', '2024-03-02 10:30:00', 1),"
                                    " (2, 30000.01, 6900, '2020-01-13', '2024-03-02 09:00:00', 0),"
                                    " (3, 45284.76, 0, '2020-01-11', '2024-03-01 10:30:00', 1),"
                                    " (4, 100, NULL, NULL, NULL, NULL)"));
    query.close();
    query.sql().assign({"SELECT NR, NETTO, VAT, NETTO + VAT AS BRUTTO, DATA, WYSLANO,",
                        "  datetime(WYSLANO, '+1 hour') AS ODEBRANO, ZAPLACONO FROM faktury"});
    query.open();
}

QStringList GridTest::column(const QString &field) const
{
    QStringList values;
    const Field *f = query.fieldByName(field);
    for (int record = 0; record < query.recordCount(); ++record)
        values.append(f->asStringAt(query.rowOf(record)));
    return values;
}

void GridTest::selectCell(int record, int column)
{
    grid->setCurrentIndex(model.index(record, column));
}
