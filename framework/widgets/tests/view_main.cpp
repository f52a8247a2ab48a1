// The main of the widget tests: the QApplication must exist before the first test and outlive
// the last.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv)
{
    // Runs without a display, from CTest or by hand.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
