#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace vorbix {

// The questions and messages the main window puts to the user, replaceable so that tests
// can answer them without a modal dialog.
struct Form1Dialogs {
    // The name chosen in the "Save As" dialog; empty when it was cancelled.
    std::function<QString(QWidget* parent, const QString& startFolder)> saveAsPath;
    // A folder for the file list; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& startFolder)> folder;
    std::function<void(QWidget* parent, const QString& message)> error;
    // The name chosen in the "Save TVC program" dialog, offered the suggested one, ending ".wav"
    // when the tape sound was chosen; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& suggestedPath)> programPath;
    // A screen file to show as the machine would; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& startFolder)> screenFile;
};

Form1Dialogs StandardDialogs();

}  // namespace vorbix
