#include "ui/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vorbix {

Form1Dialogs StandardDialogs() {
    return Form1Dialogs{
        [](QWidget* parent, const QString& startFolder) {
            return QFileDialog::getSaveFileName(parent, "Save As", startFolder, "BMP Files(*.bmp)");
        },
        [](QWidget* parent, const QString& startFolder) {
            return QFileDialog::getExistingDirectory(parent, "Folder of pictures", startFolder);
        },
        [](QWidget* parent, const QString& message) { QMessageBox::warning(parent, "Vorbix", message); },
        [](QWidget* parent, const QString& suggestedPath) {
            return QFileDialog::getSaveFileName(parent, "Save TVC program", suggestedPath, "TVC programs (*.cas)");
        },
        [](QWidget* parent, const QString& startFolder) {
            return QFileDialog::getOpenFileName(parent, "Open screen file", startFolder, "TVC screen files (*.tim)");
        },
    };
}

}  // namespace vorbix
