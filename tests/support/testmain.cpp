// Shared main of the core tests: Qt facilities (locale, file system helpers) expect an
// application object.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Every test reads and writes numbers and dates as a US-English desktop does; a test
    // of another locale's forms passes that locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
