#include "GridToolsTestSupport.h"

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
