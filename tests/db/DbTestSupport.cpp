#include "DbTestSupport.h"

#include "db/DatabaseStatement.h"
#include "platform/Errors.h"

namespace testsupport {

QString engineError(Database &db, const QString &sql)
{
    try {
        const auto statement = db.prepare(sql);
        const int n = statement->columnCount();
        db.run(*statement, [&] {
            for (int c = 0; c < n; ++c)
                (void)sqlite3_column_text(statement->handle(), c);
        });
    } catch (const EDBEngineError &e) {
        return e.message();
    }
    return QString();
}

void expectRefusal(const QString &message, const QString &file, const char *beginning)
{
    EXPECT_TRUE(message.startsWith(QString::fromUtf8(beginning))) << message.toStdString();
    EXPECT_TRUE(message.contains(file)) << message.toStdString();
}

void DbTest::SetUp()
{
    FolderTest::SetUp();
    QByteArray err;
    ASSERT_EQ(run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/db/make_dbf_fixtures.py", dir.path()}, nullptr, &err), 0)
        << err.toStdString();
    ASSERT_EQ(run(MAKE_PX_FIXTURE, {dir.path()}), 0);
    db = std::make_unique<Database>();
}

void DbTest::TearDown()
{
    db.reset();
    FolderTest::TearDown();
}

std::vector<QStringList> DbTest::rows(const QString &sql)
{
    std::vector<QStringList> result;
    const auto statement = db->prepare(sql);
    const int n = statement->columnCount();
    sqlite3_stmt *s = statement->handle();
    db->run(*statement, [&] {
        QStringList row;
        for (int c = 0; c < n; ++c) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, c));
            row.append(text ? QString::fromUtf8(text) : QStringLiteral("NULL"));
        }
        result.push_back(row);
    });
    return result;
}

QStringList DbTest::declaredTypes(const QString &sql)
{
    QStringList types;
    const auto statement = db->prepare(sql);
    for (int c = 0; c < statement->columnCount(); ++c) {
        const char *type = sqlite3_column_decltype(statement->handle(), c);
        types.append(type ? QString::fromUtf8(type) : QString());
    }
    return types;
}

QString DbTest::pxcheck(const QString &table, const QString &memo, int rowsToPrint)
{
    QByteArray out, err;
    const int rc = run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/tools/pxcheck.py", path(table),
                                       memo.isEmpty() ? QStringLiteral("-") : path(memo), QString::number(rowsToPrint)},
                       &out, &err);
    EXPECT_EQ(rc, 0) << err.toStdString();
    return QString::fromUtf8(out);
}

QString DbTest::pydbf(const QString &table, const QString &expression)
{
    QByteArray out, err;
    const int rc = run(KWERIX_PYTHON, {KWERIX_SOURCE_DIR "/tests/tools/dbfeval.py", path(table), expression}, &out, &err);
    EXPECT_EQ(rc, 0) << err.toStdString();
    return QString::fromUtf8(out).trimmed();
}

} // namespace testsupport
