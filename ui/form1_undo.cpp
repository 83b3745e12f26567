#include <QShortcut>

#include "ui/form1.h"

namespace vorbix {

void Form1::BuildUndo() {
    // Application-wide, so that the keys work in the chart window too.
    for (const auto& [keys, action] : {std::pair{QKeySequence("Ctrl+Z"), &Form1::Undo},
                                       std::pair{QKeySequence("Ctrl+Shift+Z"), &Form1::Redo}}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, action] { (this->*action)(); });
    }
    form2_->runEdit = [this](const std::function<void()>& edit) { history_.Run(session_, EditKind::Mixes, edit); };
}

void Form1::Undo() {
    if (!history_.Undo(session_)) return SetStatus("Nothing to undo");
    ShowState();
    ShowConversion("Undone");
}

void Form1::Redo() {
    if (!history_.Redo(session_)) return SetStatus("Nothing to redo");
    ShowState();
    ShowConversion("Redone");
}

}  // namespace vorbix
