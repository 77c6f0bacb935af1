// Widget tests need a QApplication for the whole run; this main replaces
// GoogleTest's own.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Test discovery runs the binary at build time, without the test
    // environment: never ask for a real display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
