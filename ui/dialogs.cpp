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
        [](QWidget* parent, const QString& message) {
            // Shown without waiting for it, so that nothing (a drag source, the window) is held up.
            auto* box = new QMessageBox(QMessageBox::Warning, "Vorbix", message, QMessageBox::Ok, parent);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setObjectName("Message");
            box->open();
        },
        [](QWidget* parent, const QString& suggestedPath) {
            const QString cas = "TVC programs (*.cas)";
            const QString wav = "Tape sounds to play into the TVC (*.wav)";
            QString chosenFilter = cas;
            QString chosen = QFileDialog::getSaveFileName(parent, "Save TVC program", suggestedPath, cas + ";;" + wav,
                                                          &chosenFilter);
            if (!chosen.isEmpty() && chosenFilter == wav && !chosen.endsWith(".wav", Qt::CaseInsensitive)) {
                if (chosen.endsWith(".cas", Qt::CaseInsensitive)) chosen.chop(4);
                chosen += ".wav";
            }
            return chosen;
        },
        [](QWidget* parent, const QString& startFolder) {
            return QFileDialog::getOpenFileName(parent, "Open screen file", startFolder, "TVC screen files (*.tim)");
        },
        [](QWidget* parent, const QString& suggestedPath) {
            return QFileDialog::getSaveFileName(parent, "Save settings", suggestedPath, "Vorbix settings (*.json)");
        },
        [](QWidget* parent, const QString& startFolder) {
            return QFileDialog::getOpenFileName(parent, "Load settings", startFolder, "Vorbix settings (*.json)");
        },
        [](QWidget* parent, const QString& caption, const QString& startFolder) {
            return QFileDialog::getExistingDirectory(parent, caption, startFolder);
        },
    };
}

}  // namespace vorbix
