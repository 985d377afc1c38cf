#pragma once

#include "platform/RegionalSettings.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>
#include <type_traits>

// GoogleTest prints QStrings readably.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray &b, std::ostream *os) { *os << '"' << b.toStdString() << '"'; }
QT_END_NAMESPACE

namespace testsupport {

// Names parameterized cases by their position in the table.
struct CaseIndex {
    template <class T>
    std::string operator()(const ::testing::TestParamInfo<T> &info) const
    {
        return "case" + std::to_string(info.index);
    }
};

// The little-endian integer at an offset of the bytes (zero beyond their end). Read byte by byte:
// in place, GCC's bounds check takes constData() for the one byte of an empty QByteArray.
template <class T>
T littleEndian(const QByteArray &bytes, qsizetype at)
{
    std::make_unsigned_t<T> value = 0;
    for (qsizetype i = qsizetype(sizeof(T)) - 1; i >= 0; --i)
        value = static_cast<std::make_unsigned_t<T>>((value << 8) | static_cast<unsigned char>(at + i < bytes.size() ? bytes.at(at + i) : 0));
    return static_cast<T>(value);
}

QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// Bytes given as Windows-1250 text written in UTF-8 source.
QByteArray cp(const char *utf8);
// Runs a program and returns its exit status; its standard output goes to *out when given.
int run(const QString &program, const QStringList &arguments, QByteArray *out = nullptr, QByteArray *err = nullptr);

// Polish regional settings for the test's duration, and a fresh temporary directory.
class PolishTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;

private:
    RegionalSettings m_saved;
};

// Polish regional settings and a temporary directory that is also the working folder, so that
// table names without a folder resolve there.
class FolderTest : public PolishTest {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    QString m_cwd;
};

} // namespace testsupport
