// Shared main of the widget tests: the offscreen platform unless another one is chosen,
// so the tests run without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Every test reads and writes numbers and dates as a US-English desktop does; a test
    // of another locale's forms passes that locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
