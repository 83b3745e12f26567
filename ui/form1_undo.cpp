#include "ui/form1.h"

namespace vorbix {

void Form1::BuildUndo() {
    form2_->runEdit = [this](const std::function<void()>& edit) { history_.Run(SettledSession(), EditKind::Mixes, edit); };
}

void Form1::Undo() {
    if (!history_.Undo(SettledSession())) return SetStatus("Nothing to undo");
    ShowState();
    ShowConversion("Undone");
}

void Form1::Redo() {
    if (!history_.Redo(SettledSession())) return SetStatus("Nothing to redo");
    ShowState();
    ShowConversion("Redone");
}

}  // namespace vorbix
