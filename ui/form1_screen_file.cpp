#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <iostream>

#include "export/screen_render.h"
#include "ui/controls.h"
#include "ui/form1.h"

namespace vorbix {

void Form1::BuildScreenFile() {
    AddButton(this, "OpenScreenFile", QRect(952, 544, 88, 33), "Open\nscreen file",
              "Show a screen.tim in the preview the way the TVC shows it (also by dropping it here)",
              [this] { OpenScreenFile_Click(); });
}

void Form1::OpenScreenFile_Click() {
    const QString path = dialogs_.screenFile(this, listFolder_);
    if (!path.isEmpty()) OpenScreenFile(path);
}

void Form1::OpenScreenFile(const QString& path) {
    const auto bytes = ReadScreenFileBytes(QFile::encodeName(path).toStdString());
    if (const auto* problem = std::get_if<std::string>(&bytes)) return ReportError(QString::fromStdString(*problem));
    const auto parsed = ParseTimBytes(std::get<std::vector<std::uint8_t>>(bytes));
    if (const auto* problem = std::get_if<std::string>(&parsed))
        return ReportError(path + ": " + QString::fromStdString(*problem));
    const ScreenFile& file = std::get<ScreenFile>(parsed);
    screenShown_ = RenderScreenLikeThePreview(file);
    pic2_->Show(&screenShown_);
    SetStatus(QString("%1 (%2) as the TVC shows it; the next conversion replaces it")
                  .arg(QFileInfo(path).fileName(), kModeCaptions[static_cast<int>(file.mode)]));
}

void Form1::CheckSavedScreen(const QString& timPath) {
    const TvcMode mode = session_.Mode();
    const auto shown = CheckShownScreen(QFile::encodeName(timPath).toStdString(), mode, session_.WorkSurface(mode),
                                        session_.State().paletteColors);
    if (!shown) return;
    std::cerr << "vorbix: warning: " << *shown << std::endl;
    SetStatus("Saved, but " + QString::fromStdString(*shown));
}

}  // namespace vorbix
