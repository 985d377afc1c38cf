#include "QueryTestSupport.h"

#include <QDir>

void RunStateTest::SetUp()
{
    PolishTest::SetUp();
    m_cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
}

void RunStateTest::TearDown()
{
    result.close();
    QDir::setCurrent(m_cwd);
    PolishTest::TearDown();
}
