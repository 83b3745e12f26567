#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ui/form1.h"

// Failures name the text, not its bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace vorbix {

QColor QColorOf(ColourValue c);
QByteArray Bytes(const QString& path);  // empty when the file cannot be read

struct CliRun {
    int status;
    QString out;
    QString err;
};
// vorbix-cli run with these arguments, to its end.
CliRun Cli(const QStringList& arguments);
// A small picture of many colours, as a photo has.
QImage GradientPicture();

// A main window on a temporary folder of small pictures, with its dialogs answered by the test.
class GuiTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a picture of one colour, or of the given pixels, into the list's folder.
    QString WritePicture(const QString& name, int width, int height, ColourValue colour, const char* format = "BMP");
    QString WritePicture(const QString& name, const QImage& image, const char* format = "BMP");
    QString WriteBytes(const QString& name, const QByteArray& bytes);
    // A folder beside the list's folder, created.
    QString MakeFolder(const QString& name);

    // Opens the main window on the picture folder (after the test has written its pictures).
    void Open();
    // The window on a folder of a gradient photo.bmp, shown, and a small green other.bmp.
    void OpenGradientBesideAnother();
    // On that folder; empty: the one remembered from the last window.
    void Open(const QString& folder);
    // The status line's whole text.
    QString StatusLine() const { return Find<QLabel>("Status")->toolTip(); }

    // A control of the main window, or of the given window (the chart window's names repeat
    // some of the main window's).
    template <typename T = QWidget>
    T* Find(const QString& name, QWidget* window = nullptr) const {
        T* widget = (window ? window : form_.get())->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    // Clicks a button, radio button, check box or swatch where a user would.
    void Click(const QString& name, QWidget* window = nullptr);
    void ClickFile(const QString& name);
    // Drags the file onto the main window and drops it there.
    void DropFile(const QString& path);
    QStringList ListedFiles() const;

    // Waits until a slider's move, converted in the background, is shown.
    void WaitForSlider() const;
    // Waits for the likeness readout, worked out in the background, to show the session's score.
    bool LikenessShown() const;
    const Session& session() const { return form_->GetSession(); }
    long Conversions() const { return session().ConversionCount(); }

    QTemporaryDir temp_;
    QString pictures_;
    QStringList errors_;
    QString saveAsAnswer_;
    QString saveAsStart_;  // the folder the "Save As" dialog was opened in
    QString saveFolderAnswer_;     // where "Save" goes when its usual place cannot be written
    QStringList saveFolderAsked_;  // the captions of that question, each time it was put
    QString folderAnswer_;
    QString programAnswer_;     // the "Save TVC program" dialog's answer
    QString programSuggested_;  // the name that dialog was offered
    QString screenFileAnswer_;  // the "Open screen file" dialog's answer
    QString settingsSaveAnswer_;  // the "Save settings" dialog's answer
    QString settingsLoadAnswer_;  // the "Load settings" dialog's answer
    std::unique_ptr<Form1> form_;
};

}  // namespace vorbix
