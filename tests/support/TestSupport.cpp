#include "TestSupport.h"

#include "platform/CodePage.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace testsupport {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray cp(const char *utf8)
{
    return cp1250::encode(QString::fromUtf8(utf8));
}

int run(const QString &program, const QStringList &arguments, QByteArray *out, QByteArray *err)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    if (out)
        *out = process.readAllStandardOutput();
    if (err)
        *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void PolishTest::SetUp()
{
    m_saved = RegionalSettings::current();
    RegionalSettings::set(RegionalSettings::polish());
    ASSERT_TRUE(dir.isValid());
}

void PolishTest::TearDown()
{
    RegionalSettings::set(m_saved);
}

void FolderTest::SetUp()
{
    PolishTest::SetUp();
    m_cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
}

void FolderTest::TearDown()
{
    QDir::setCurrent(m_cwd);
    PolishTest::TearDown();
}

} // namespace testsupport
