#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

int main(int argc, char* argv[]) {
    // Test discovery runs the binary without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // What the windows remember goes to a folder of the test run's own, never the user's.
    QTemporaryDir remembered;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, remembered.path());
    QApplication::setOrganizationName("VorbixTests");
    QApplication::setApplicationName("VorbixGuiTests");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
