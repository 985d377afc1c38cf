// Tables as other programs write them: every code page mark of dBASE and FoxPro (Mazovia and
// Kamenický among them), marks that are not known, a table without fields, dBASE II, dBASE 7,
// headers padded after their field list, field types no reader here knows; Paradox tables of
// every field size, in the code pages their headers name, with leftover bytes in their table name
// areas, a table whose last block is cut short, and Paradox formatted memos.
#include "DbTestSupport.h"

#include "db/DatabaseStatement.h"
#include "platform/Errors.h"

#include <QFile>
#include <QtEndian>

#include <sqlite3.h>
#include <vector>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class ForeignTables : public testsupport::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        QByteArray out, err;
        ASSERT_EQ(testsupport::run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/db/make_raw_dbase_fixtures.py", dir.path()}, &out,
                                   &err),
                  0)
            << err.toStdString();
        for (const QString &line : QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            samples.emplace_back(line.section(QLatin1Char('\t'), 0, 0), line.section(QLatin1Char('\t'), 1));
    }

    // The first value of a statement, as text.
    QString value(const QString &sql)
    {
        QString result;
        const auto statement = database.prepare(sql);
        database.run(*statement, [&] {
            if (result.isNull())
                result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement->handle(), 0)));
        });
        return result;
    }
    QString error(const QString &sql) { return testsupport::engineError(database, sql); }
    // The column names and the first row of a statement, each joined by semicolons.
    std::pair<QString, QString> namesAndFirstRow(const QString &sql)
    {
        QStringList names, values;
        const auto statement = database.prepare(sql);
        sqlite3_stmt *s = statement->handle();
        for (int c = 0; c < statement->columnCount(); ++c)
            names.append(QString::fromUtf8(sqlite3_column_name(s, c)));
        database.run(*statement, [&] {
            for (int c = 0; c < statement->columnCount() && values.size() < names.size(); ++c)
                values.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, c))));
        });
        return {names.join(QLatin1Char(';')), values.join(QLatin1Char(';'))};
    }
    // The Paradox tables of make_raw_paradox_fixtures.py of one kind, each line's fields after the kind.
    std::vector<QStringList> paradoxFixtures(const QString &kind)
    {
        if (m_paradox.isEmpty()) {
            QByteArray out, err;
            EXPECT_EQ(testsupport::run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/db/make_raw_paradox_fixtures.py", dir.path()},
                                       &out, &err),
                      0)
                << err.toStdString();
            m_paradox = QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        std::vector<QStringList> lines;
        for (const QString &line : m_paradox) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.first() == kind)
                lines.push_back(fields.mid(1));
        }
        EXPECT_FALSE(lines.empty()) << kind.toStdString();
        return lines;
    }

    Database database;
    std::vector<std::pair<QString, QString>> samples; // file, the text it holds

private:
    QStringList m_paradox;
};

TEST_F(ForeignTables, EveryCodePageMarkIsReadAndWrittenInItsCodePage)
{
    ASSERT_EQ(samples.size(), 16u);
    for (const auto &[file, text] : samples) {
        EXPECT_EQ(value(QStringLiteral("SELECT NAZWA FROM \"%1\"").arg(file)), text) << file.toStdString();
        // Written back in the same code page: the same bytes as the table came with.
        const QByteArray before = readBytes(path(file));
        value(QStringLiteral("UPDATE \"%1\" SET NAZWA = NAZWA || ''").arg(file));
        EXPECT_EQ(readBytes(path(file)), before) << file.toStdString();
    }
}

TEST_F(ForeignTables, MazoviaHoldsEveryPolishLetterAndRefusesWhatItLacks)
{
    const QString letters = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    value(QStringLiteral("UPDATE \"cp620.dbf\" SET NAZWA = '%1'").arg(letters));
    const QByteArray file = readBytes(path("cp620.dbf"));
    const qsizetype record = testsupport::littleEndian<quint16>(file, 8) + 1;
    EXPECT_EQ(file.mid(record, 18).toHex(), QByteArray("868d9192a4a29ea6a78f95909ca5a398a0a1"));
    EXPECT_EQ(value("SELECT NAZWA FROM \"cp620.dbf\""), letters);
    EXPECT_TRUE(error("UPDATE \"cp620.dbf\" SET NAZWA = 'Łódź €'").contains(QStringLiteral("code page")));
}

TEST_F(ForeignTables, TablesThatCannotBeReadSayWhy)
{
    const struct {
        const char *file;
        const char *message;
    } cases[] = {
        {"znak_f0.dbf", "The table's code page mark 0xF0 is not a known dBASE language driver."},
        {"znak_4d.dbf", "The table's code page mark 0x4D names code page 936, which this program cannot read."},
        {"bezpol.dbf", "The table has no fields."},
        {"dbase2.dbf", "dBASE II tables are not supported"},
        {"dbase7.dbf", "dBASE 7 tables are not supported"},
        {"dbase7memo.dbf", "dBASE 7 tables are not supported"},
        {"typ_Q.dbf", "Field POLE has the type Q, which this program cannot read."},
        {"typ_V.dbf", "Field POLE has the type V, which this program cannot read."},
        {"typ_X.dbf", "Field POLE has the type X, which this program cannot read."},
        {"typ_0.dbf", "Field POLE has the type 0, which this program cannot read."},
    };
    for (const auto &c : cases) {
        testsupport::expectRefusal(error(QStringLiteral("SELECT * FROM \"%1\"").arg(c.file)), path(c.file), c.message);
    }
}

TEST_F(ForeignTables, AParadoxTableCutShortAfterItsLastRecordIsWhole)
{
    value("CREATE TABLE \"duza.db\" AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
          "SELECT i AS NR, 'pozycja ' || i AS NAZWA FROM n");
    const QByteArray whole = readBytes(path("duza.db"));
    const auto u16 = [&](qsizetype at) { return testsupport::littleEndian<quint16>(whole, at); };
    const int recordSize = u16(0), headerSize = u16(2), blockSize = static_cast<unsigned char>(whole[5]) * 1024;
    const qint64 lastBlock = headerSize + qint64(u16(0x10) - 1) * blockSize;
    const qint64 recordsEnd = lastBlock + 6 + testsupport::littleEndian<qint16>(whole, lastBlock + 4) + recordSize;
    ASSERT_LT(recordsEnd, whole.size());

    // Cut after the last record, as Paradox leaves some files: every record is there.
    writeBytes(path("krotka.db"), whole.left(recordsEnd));
    EXPECT_EQ(value("SELECT COUNT(*) || ' ' || CAST(MAX(NR) AS INTEGER) FROM \"krotka.db\""), QStringLiteral("1000 1000"));
    // Cut inside the records: refused, saying how many are missing.
    writeBytes(path("obcieta.db"), whole.left(recordsEnd - 2 * recordSize - 1));
    const QString message = error("SELECT COUNT(*) FROM \"obcieta.db\"");
    EXPECT_TRUE(message.startsWith("The table is truncated: 3 of its 1000 records are missing.")) << message.toStdString();
}

TEST_F(ForeignTables, ParadoxFormattedMemosAreBinaryData)
{
    // A text too long for an alpha field makes a memo field.
    value("CREATE TABLE \"notatki.db\" AS SELECT 'a' AS NAZWA, 'tekst notatki ' || hex(zeroblob(150)) AS UWAGI");
    QByteArray table = readBytes(path("notatki.db"));
    // The second field's type in the header's list of types and sizes: memo (0x0C) made formatted (0x0E).
    const qsizetype types = static_cast<unsigned char>(table[0x39]) >= 5 ? 0x78 : 0x58;
    ASSERT_EQ(static_cast<unsigned char>(table[types + 2]), 0x0C);
    table[types + 2] = 0x0E;
    writeBytes(path("formaty.db"), table);
    QFile::copy(path("notatki.mb"), path("formaty.mb"));
    EXPECT_EQ(value("SELECT typeof(UWAGI) FROM \"formaty.db\""), QStringLiteral("blob"));
    EXPECT_EQ(value("SELECT CAST(UWAGI AS TEXT) LIKE 'tekst notatki%' FROM \"formaty.db\""), QStringLiteral("1"));
}

TEST_F(ForeignTables, DbaseHeadersPaddedAfterTheirFieldListAreRead)
{
    // Visual FoxPro's 263-byte backlink, and three bytes as other writers leave them.
    for (const char *table : {"odnosnik.dbf", "dopelniony.dbf"}) {
        EXPECT_EQ(namesAndFirstRow(QStringLiteral("SELECT NAZWA, KWOTA, DATA FROM \"%1\"").arg(table)).second,
                  QStringLiteral("Kowalski;1.25;2024-03-05"))
            << table;
        value(QStringLiteral("DELETE FROM \"%1\" WHERE NAZWA = 'Nowak'").arg(table));
        EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)), QStringLiteral("1")) << table;
    }
}

TEST_F(ForeignTables, ParadoxFieldsOfEverySizeTheirTypeCanHaveAreRead)
{
    for (const QStringList &table : paradoxFixtures(QStringLiteral("size"))) {
        const QString sql = QStringLiteral("SELECT NAZWA || ' ' || KOD FROM \"%1\"").arg(table[0]);
        if (table[1] == QLatin1String("ok"))
            EXPECT_EQ(value(sql), QStringLiteral("abc 7")) << table[0].toStdString();
        else
            testsupport::expectRefusal(error(sql), path(table[0]), "Field POLE has a size its type can't have.");
    }
}

TEST_F(ForeignTables, ParadoxTextIsReadAndWrittenInTheCodePageTheHeaderNames)
{
    for (const QStringList &table : paradoxFixtures(QStringLiteral("codepage"))) {
        const QString &file = table[0], &text = table[1];
        const bool memo = file != QLatin1String("strona0.db");
        const QString columns = memo ? QStringLiteral("NAZWA, UWAGI") : QStringLiteral("NAZWA");
        const QString select = QStringLiteral("SELECT %1 FROM \"%2\"").arg(columns, file);
        EXPECT_EQ(namesAndFirstRow(select).second, memo ? text + QLatin1Char(';') + text : text) << file.toStdString();
        // Written back in the same code page.
        value(QStringLiteral("UPDATE \"%1\" SET NAZWA = 'Zmiana ' || NAZWA").arg(file));
        EXPECT_TRUE(readBytes(path(file)).contains(QByteArray::fromHex(table[2].toLatin1()))) << file.toStdString();
        EXPECT_EQ(value(QStringLiteral("SELECT NAZWA FROM \"%1\"").arg(file)), QStringLiteral("Zmiana ") + text);
    }
    for (const QStringList &table : paradoxFixtures(QStringLiteral("refused")))
        testsupport::expectRefusal(error(QStringLiteral("SELECT * FROM \"%1\"").arg(table[0])), path(table[0]), table[1].toUtf8().constData());
}

TEST_F(ForeignTables, ParadoxFieldNamesAreReadWhereTheFormatVersionPlacesThem)
{
    for (const QStringList &table : paradoxFixtures(QStringLiteral("names"))) {
        EXPECT_EQ(namesAndFirstRow(QStringLiteral("SELECT * FROM \"%1\"").arg(table[0])),
                  std::make_pair(table[1], table[2]))
            << table[0].toStdString();
    }
}

} // namespace
