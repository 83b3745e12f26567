#include "pipeline/edit_history.h"

namespace vorbix {

void EditHistory::Run(Session& session, EditKind kind, const std::function<void()>& edit) {
    const bool withPic1 = kind == EditKind::Set;
    const bool withPic5 = kind == EditKind::Command2;
    Step step{session.TakeEditableParts(withPic1, withPic5), {}};
    edit();
    step.after = session.TakeEditableParts(withPic1, withPic5);
    if (step.after == step.before) return;
    if (done_.size() == kMaxSteps) done_.erase(done_.begin());
    done_.push_back(std::move(step));
    undone_.clear();
}

bool EditHistory::Undo(Session& session) { return Replay(done_, undone_, &Step::before, session); }

bool EditHistory::Redo(Session& session) { return Replay(undone_, done_, &Step::after, session); }

bool EditHistory::Replay(std::vector<Step>& from, std::vector<Step>& to, Session::EditableParts Step::*side,
                         Session& session) {
    if (from.empty()) return false;
    to.push_back(std::move(from.back()));
    from.pop_back();
    session.PutEditableParts(to.back().*side);
    session.Command1_Click();
    return true;
}

void EditHistory::Clear() {
    done_.clear();
    undone_.clear();
}

}  // namespace vorbix
