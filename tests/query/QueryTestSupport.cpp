#include "QueryTestSupport.h"

#include <QDir>

void RunStateTest::TearDown()
{
    result.close();
    FolderTest::TearDown();
}
