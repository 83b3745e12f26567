#include <QDir>
#include <QFile>
#include <iostream>

#include "io/screen_file.h"
#include "pipeline/save_check.h"
#include "ui/controls.h"
#include "ui/form1.h"

namespace vorbix {

void Form1::BuildScreenFile() {
    AddButton(client_, "OpenScreenFile", QRect(952, 544, 88, 33), "Open\nscreen file",
              "Show a screen.tim in the preview the way the TVC shows it (also by dropping it here); "
              "Save then writes it, until the next conversion",
              [this] { OpenScreenFile_Click(); });
}

void Form1::OpenScreenFile_Click() {
    const QString path = dialogs_.screenFile(this, listFolder_);
    if (!path.isEmpty()) OpenScreenFile(path);
}

void Form1::OpenScreenFile(const QString& path) {
    const auto bytes = ReadScreenFileBytes(QFile::encodeName(path).toStdString());
    if (!bytes) return ReportError(QString::fromStdString(bytes.Failure().text));
    if (Status shown = SettledSession().ShowScreenFile(bytes.Value()); !shown)
        return ReportError(path + ": " + QString::fromStdString(shown.Failure().text));
    ShowState();
    const std::string_view caption = ModeOf(session_.Shown().screen.mode).caption;
    SetStatus(QString::fromUtf8(caption.data(), caption.size()) +
                  " as the TVC shows it, until the next conversion; Save writes it as it is:",
              path);
}

void Form1::CheckSavedScreen(const QString& timPath) {
    // A shown screen file is written as it came; there is no conversion to compare it with.
    if (session_.ShowsScreenFile()) return;
    const TvcMode mode = session_.Mode();
    const auto shown = CheckShownScreen(QFile::encodeName(timPath).toStdString(), mode, session_.Surface(mode),
                                        session_.PaletteInUse());
    if (!shown) return ReportError("Saved, but " + QString::fromStdString(shown.Failure().text));
    if (!shown.Value()) return;
    std::cerr << "vorbix: warning: " << *shown.Value() << std::endl;
    SetStatus("Saved, but " + QString::fromStdString(*shown.Value()));
}

}  // namespace vorbix
