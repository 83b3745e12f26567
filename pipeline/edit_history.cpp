#include "pipeline/edit_history.h"

namespace vorbix {

void EditHistory::Run(Session& session, EditKind kind, const std::function<void()>& edit) {
    const bool withLoaded = kind == EditKind::Commit;
    const bool withSourceView = kind == EditKind::SnapToMixes;
    Step step{session.TakeSnapshot(withLoaded, withSourceView), {}, false};
    const long conversions = session.ConversionCount();
    edit();
    step.after = session.TakeSnapshot(withLoaded, withSourceView);
    step.converted = session.ConversionCount() != conversions;
    if (step.after == step.before) return;
    if (done_.size() == kMaxSteps) done_.erase(done_.begin());
    done_.push_back(std::move(step));
    undone_.clear();
}

bool EditHistory::Undo(Session& session) {
    if (!Move(done_, undone_)) return false;
    const Step& step = undone_.back();
    session.Restore(step.before);
    session.Reconvert();
    session.RestoreRefinement(step.before);
    return true;
}

bool EditHistory::Redo(Session& session) {
    if (!Move(undone_, done_)) return false;
    const Step& step = done_.back();
    session.Restore(step.after);
    // As the edit itself did: snapping the source leaves the conversion to the next event.
    if (step.converted) session.Reconvert();
    session.RestoreRefinement(step.after);
    return true;
}

bool EditHistory::Move(std::vector<Step>& from, std::vector<Step>& to) {
    if (from.empty()) return false;
    to.push_back(std::move(from.back()));
    from.pop_back();
    return true;
}

void EditHistory::Clear() {
    done_.clear();
    undone_.clear();
}

}  // namespace vorbix
