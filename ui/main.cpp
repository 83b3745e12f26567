#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include "ui/form1.h"

int main(int argc, char* argv[]) {
    // Whole-number scales keep every picture's pixels square and sharp on high-density screens.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    // QSettings keeps what the windows remember under these names.
    QApplication::setOrganizationName("Vorbix");
    QApplication::setApplicationName("Vorbix");
    QApplication::setApplicationVersion(VORBIX_VERSION);
    QApplication::setDesktopFileName("vorbix");
    QApplication::setWindowIcon(QIcon::fromTheme("vorbix"));

    QCommandLineParser parser;
    parser.setApplicationDescription("Converts JPEG, PNG and BMP pictures for the TVC.");
    parser.addHelpOption();
    // Qt's own version option would leave out the licence.
    const QCommandLineOption version({"v", "version"}, "Displays version and licence information.");
    parser.addOption(version);
    parser.addPositionalArgument("FOLDER",
                                 "The folder whose pictures the file list shows (default: the folder of the last run, "
                                 "else the current folder).");
    parser.process(app);
    if (parser.isSet(version)) {
        std::printf("Vorbix %s\n%s\n", VORBIX_VERSION, VORBIX_LICENCE);
        return 0;
    }
    const QStringList arguments = parser.positionalArguments();

    vorbix::Form1 form1(arguments.isEmpty() ? QString() : arguments.first());
    form1.show();
    return app.exec();
}
