#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <new>

#include "io/picture_decode.h"
#include "ui/controls.h"
#include "ui/form1.h"

namespace vorbix {

namespace {

constexpr int kRecentFolders = 8;

}  // namespace

void Form1::BuildFileList() {
    file2_ = Place(new FileList(client_), "File2", QRect(8, 496, 137, 201));
    file2_->onChoose = [this](const QString&) { File2_Click(); };
    AddButton(client_, "Command5", QRect(8, 704, 137, 25), "refresh", "Read the folder again",
              [this] { Command5_Click(); });
    AddButton(client_, "Folder", QRect(320, 494, 121, 21), "Folder…", "Show the pictures of another folder",
              [this] { ChooseFolder(); });
}

void Form1::BuildBackToFolder() {
    backToFolder_ = AddButton(client_, "BackToFolder", QRect(608, 680, 432, 20), QString(),
                              "Show the pictures of the folder the list showed before the last save",
                              [this] { BackToFolder_Click(); });
    backToFolder_->setFlat(true);
    backToFolder_->setStyleSheet("text-align: left; color: palette(link); text-decoration: underline;");
    backToFolder_->hide();
}

void Form1::Command5_Click() {
    // Read with the system's own names: Qt's listing leaves out names that are not valid UTF-8.
    QList<QByteArray> names;
    std::error_code failed;
    for (std::filesystem::directory_iterator entry(QFile::encodeName(listFolder_).toStdString(), failed), end;
         !failed && entry != end; entry.increment(failed)) {
        const QByteArray name = QByteArray::fromStdString(entry->path().filename().native());
        std::error_code notFile;
        if (IsPictureFileName(name) && entry->is_regular_file(notFile)) names.append(name);
    }
    file2_->ShowNames(names);
    HighlightShownPicture();
}

void Form1::HighlightShownPicture() {
    const QFileInfo shown(picturePath_);
    file2_->Highlight(shown.absolutePath() == listFolder_ ? shown.fileName() : QString());
}

void Form1::ShowFolder(const QString& folder) {
    ListFolder(folder);
    if (QDir(listFolder_).exists()) AddRecentFolder(listFolder_);
    // The way back after a save is gone once the user opens a folder himself.
    folderBeforeSave_.clear();
    backToFolder_->hide();
}

void Form1::ListFolder(const QString& folder) {
    listFolder_ = QDir(folder).absolutePath();
    file2_->setToolTip(listFolder_);
    Command5_Click();
    SetStatus(QDir(listFolder_).exists() ? "Pictures of" : "Folder not found:", listFolder_);
}

void Form1::AddRecentFolder(const QString& folder) {
    recentFolders_.removeAll(folder);
    recentFolders_.prepend(folder);
    while (recentFolders_.size() > kRecentFolders) recentFolders_.removeLast();
}

void Form1::ChooseFolder() {
    const QString folder = dialogs_.folder(this, listFolder_);
    if (!folder.isEmpty()) ShowFolder(folder);
}

void Form1::BackToFolder_Click() {
    if (!folderBeforeSave_.isEmpty()) ShowFolder(folderBeforeSave_);
}

void Form1::File2_Click() {
    const auto selected = file2_->selectedItems();
    if (selected.isEmpty()) return;
    const QByteArray name = FileList::NameOf(selected.first());
    // Such a name has no spelling in the window's text, by which pictures are opened and named.
    if (QFile::encodeName(QFile::decodeName(name)) != name) {
        HighlightShownPicture();
        return ReportError(QString("%1 cannot be opened: its name is not valid UTF-8 text. Rename the file to open it.")
                               .arg(QDir(listFolder_).filePath(selected.first()->text())));
    }
    LoadPicture(QDir(listFolder_).filePath(selected.first()->text()));
}

void Form1::ShowPictureFile(const QString& path) {
    picturePath_ = QFileInfo(path).absoluteFilePath();
    pictureName_ = QFileInfo(path).fileName();
    // A picture from elsewhere (dropped, or named by a settings file) brings its folder into the list.
    if (QFileInfo(path).absolutePath() != listFolder_)
        ShowFolder(QFileInfo(path).absolutePath());
    else
        HighlightShownPicture();
}

void Form1::LoadPicture(const QString& path) {
    const Cover cover = session_.Settings().resize ? Cover{kPreviewWidth, kPreviewHeight} : Cover{};
    Result<Picture> decoded = ReadPicture(QFile::encodeName(path).toStdString(), kMaxPicturePixels, cover);
    if (!decoded) {
        HighlightShownPicture();
        ReportError(QString::fromStdString(decoded.Failure().text));
        return;
    }
    const int width = decoded.Value().Width(), height = decoded.Value().Height();
    try {
        SettledSession().Load(std::move(decoded.Value()));
    } catch (const std::bad_alloc&) {
        ReportError(path + ": not enough memory to load this picture");
        return;
    }
    history_.Clear();
    ShowPictureFile(path);
    ShowState();
    // A JPEG decoded reduced still shows the size of the file.
    const PictureSize claimed = ClaimedSize(QFile::encodeName(path).toStdString());
    ShowConversion(QString("Loaded %1 (%2 × %3, %4 colours)")
                       .arg(pictureName_)
                       .arg(claimed.width > 0 ? claimed.width : width)
                       .arg(claimed.height > 0 ? claimed.height : height)
                       .arg(session_.LoadedColours()));
}

}  // namespace vorbix
