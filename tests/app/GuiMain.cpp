// GoogleTest's main for tests that drive real windows (offscreen in the test environment).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kwerix"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
