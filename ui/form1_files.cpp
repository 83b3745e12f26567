#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>
#include <new>

#include "io/picture_decode.h"
#include "ui/controls.h"
#include "ui/form1.h"

namespace vorbix {

void Form1::BuildFileList() {
    file2_ = Place(new QListWidget(this), "File2", QRect(8, 496, 137, 201));
    file2_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Selection, not the current item: the list makes its first item current when it gains
    // focus, and that must not load a picture.
    connect(file2_, &QListWidget::itemSelectionChanged, this, [this] { File2_Click(); });
    AddButton(this, "Command5", QRect(8, 704, 137, 25), "refresh", "Read the folder again",
              [this] { Command5_Click(); });
    AddButton(this, "Folder", QRect(320, 494, 121, 21), "Folder…", "Show the pictures of another folder",
              [this] { ChooseFolder(); });
}

void Form1::Command5_Click() {
    const auto selected = file2_->selectedItems();
    const QString selectedName = selected.isEmpty() ? QString() : selected.first()->text();
    const QSignalBlocker block(file2_);
    file2_->clear();
    file2_->addItems(QDir(listFolder_).entryList({"*.jpg", "*.bmp"}, QDir::Files, QDir::Name | QDir::IgnoreCase));
    const auto again = file2_->findItems(selectedName, Qt::MatchExactly);
    if (!selectedName.isEmpty() && !again.isEmpty()) file2_->setCurrentItem(again.first());
}

void Form1::ShowFolder(const QString& folder) {
    listFolder_ = QDir(folder).absolutePath();
    file2_->setToolTip(listFolder_);
    Command5_Click();
    SetStatus(QDir(listFolder_).exists() ? "Pictures of " + listFolder_ : "Folder not found: " + listFolder_);
}

void Form1::ChooseFolder() {
    const QString folder = dialogs_.folder(this, listFolder_);
    if (!folder.isEmpty()) ShowFolder(folder);
}

void Form1::File2_Click() {
    const auto selected = file2_->selectedItems();
    if (!selected.isEmpty()) LoadPicture(QDir(listFolder_).filePath(selected.first()->text()));
}

void Form1::LoadPicture(const QString& path) {
    const Cover cover = session_.Settings().resize ? Cover{kPreviewWidth, kPreviewHeight} : Cover{};
    Result<Picture> decoded = ReadPicture(QFile::encodeName(path).toStdString(), kMaxPicturePixels, cover);
    if (!decoded) {
        ReportError(QString::fromStdString(decoded.Failure().text));
        return;
    }
    const int width = decoded.Value().Width(), height = decoded.Value().Height();
    try {
        session_.Load(std::move(decoded.Value()));
    } catch (const std::bad_alloc&) {
        ReportError(path + ": not enough memory to load this picture");
        return;
    }
    history_.Clear();
    pictureName_ = QFileInfo(path).fileName();
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
