#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

// The windows and the shell's icons need an application; texts, sizes and
// dates are checked in US English whatever the machine's locale.
int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
