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
    // A message the user reads; it does not wait to be closed.
    std::function<void(QWidget* parent, const QString& message)> error;
    // The name chosen in the "Save TVC program" dialog, offered the suggested one, ending ".wav"
    // when the tape sound was chosen; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& suggestedPath)> programPath;
    // A screen file to show as the machine would; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& startFolder)> screenFile;
    // Where "Save settings…" writes, offered the suggested name; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& suggestedPath)> saveSettingsPath;
    // The settings file "Load settings…" applies; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& startFolder)> loadSettingsPath;
    // The folder "Save" writes to when its usual place cannot be written; the caption says why.
    // Empty when cancelled.
    std::function<QString(QWidget* parent, const QString& caption, const QString& startFolder)> saveFolder;
};

Form1Dialogs StandardDialogs();

}  // namespace vorbix
