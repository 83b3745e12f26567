#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include "ui/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vorbix");
    QApplication::setApplicationVersion("1.02");

    QCommandLineParser parser;
    parser.setApplicationDescription("Converts JPEG and BMP pictures for the TVC.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("FOLDER", "The folder whose pictures the file list shows (default: the current folder).");
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();

    vorbix::Form1 form1(arguments.isEmpty() ? QDir::currentPath() : arguments.first());
    form1.show();
    return app.exec();
}
