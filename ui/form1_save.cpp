#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "ui/controls.h"
#include "ui/form1.h"

namespace vorbix {

void Form1::BuildSave() {
    command3_ = AddButton(client_, "Command3", QRect(528, 528, 73, 33), "Save", QString(), [this] { Command3_Click(); });
    AddButton(client_, "Command7", QRect(528, 568, 73, 33), "Save As",
              "Write the picture as a BMP of your choice, with screen.bin and screen.tim beside it",
              [this] { Command7_Click(); });
    auto* savedKinds = Place(new QLabel("bmp, bin, tim", client_), "Label13", QRect(528, 608, 73, 17));
    FitCaption(savedKinds, savedKinds->text(), savedKinds->width());
    AddButton(client_, "SaveProgram", QRect(528, 632, 73, 33), "Save TVC\nprogram",
              "Write a program file (.cas) that the TVC loads and runs to show the picture of the selected mode, "
              "or its tape sound (.wav) to play into the TVC's tape input",
              [this] { SaveProgram_Click(); });
}

QString Form1::SaveFolder() const {
    // Where the program's folder cannot be written (an installed program), the files go where
    // the user said to save them, else to the folder the list shows.
    const QFileInfo programFolder(programFolder_);
    if (programFolder.isDir() && programFolder.isWritable()) return programFolder_;
    return chosenSaveFolder_.isEmpty() ? listFolder_ : chosenSaveFolder_;
}

void Form1::ShowSaveTarget() {
    const QString folder = QDir::toNativeSeparators(SaveFolder());
    command3_->setToolTip(
        SaveFolder() == programFolder_
            ? QString("Write out24.bmp, screen.bin and screen.tim into the program's folder, %1").arg(folder)
            : QString("Write out24.bmp, screen.bin and screen.tim into %1: the program's folder, %2, cannot be written")
                  .arg(folder, QDir::toNativeSeparators(programFolder_)));
}

Status Form1::SaveInFolder(const QString& folder) {
    const Status saved = SettledSession().Save(SavePathsInFolder(QFile::encodeName(folder).toStdString()));
    if (saved) SaveFinished(folder, "out24.bmp");
    return saved;
}

void Form1::Command3_Click() {
    const Status saved = SaveInFolder(SaveFolder());
    if (saved) return;
    // The usual place cannot be written: ask where to save instead, and save there from now on.
    const QString reason = QString::fromStdString(saved.Failure().text);
    const QString chosen = dialogs_.saveFolder(this, "Save where? " + reason, lastSaveFolder_.isEmpty() ? listFolder_ : lastSaveFolder_);
    if (chosen.isEmpty()) return ReportSaveError(saved.Failure());
    const Status savedThere = SaveInFolder(chosen);
    if (!savedThere) return ReportSaveError(savedThere.Failure());
    chosenSaveFolder_ = QDir(chosen).absolutePath();
    ShowSaveTarget();
}

void Form1::Command7_Click() {
    const QString chosen = dialogs_.saveAsPath(this, lastSaveFolder_.isEmpty() ? SaveFolder() : lastSaveFolder_);
    if (chosen.isEmpty()) return;
    const SavePaths paths = SaveAsPaths(QFile::encodeName(chosen).toStdString());
    const Status saved = SettledSession().Save(paths);
    if (!saved) return ReportSaveError(saved.Failure());
    const QFileInfo bmp(QFile::decodeName(paths.bmp.c_str()));
    SaveFinished(bmp.absolutePath(), bmp.fileName());
}

void Form1::SaveProgram_Click() {
    const QString name = pictureName_.isEmpty() ? "screen" : QFileInfo(pictureName_).completeBaseName();
    QString chosen = dialogs_.programPath(this, QDir(listFolder_).filePath(name + ".cas"));
    if (chosen.isEmpty()) return;
    const bool sound = chosen.endsWith(".wav", Qt::CaseInsensitive);
    if (!sound && !chosen.endsWith(".cas", Qt::CaseInsensitive)) chosen += ".cas";
    const Result<ProgramWritten> saved = SettledSession().SaveProgram(QFile::encodeName(chosen).toStdString(),
                                                              sound ? ProgramFormat::Wav : ProgramFormat::Cas);
    if (!saved) return ReportSaveError(saved.Failure());
    SetStatus(QString::fromStdString(LoadTimeText(saved.Value())) + " — saved", chosen);
    if (const Warning& warning = saved.Value().warning)
        ReportError("Saved " + QDir::toNativeSeparators(chosen) + ", but " + QString::fromStdString(*warning));
}

void Form1::SaveFinished(const QString& folder, const QString& bmpName) {
    // The list moves to where the files went, without making it a folder of pictures among the
    // recent ones; the way back is one click.
    const QString before = listFolder_;
    lastSaveFolder_ = QDir(folder).absolutePath();
    ListFolder(folder);
    if (listFolder_ != before) {
        folderBeforeSave_ = before;
        backToFolder_->setText("back to " + QDir::toNativeSeparators(before));
        backToFolder_->show();
    }
    SetStatus(QString("Saved %1, screen.bin and screen.tim in").arg(bmpName), QDir(folder).absolutePath());
    CheckSavedScreen(QDir(folder).filePath("screen.tim"));
}

void Form1::ReportSaveError(const Error& error) {
    ReportError(QString("Error #%1 - %2").arg(error.code).arg(QString::fromStdString(error.text)));
}

}  // namespace vorbix
