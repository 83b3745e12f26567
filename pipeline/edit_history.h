#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "pipeline/session.h"

namespace vorbix {

// The edits that can be undone, by what they change beside swatches, palette and mixes.
enum class EditKind {
    Swatch,       // a 2- or 4-colour swatch given the picked colour
    Mixes,        // mix switches and swaps: chart clicks, clicks on the preview, "All On", "All Off"
    Commit,       // the loaded picture
    SnapToMixes,  // the source view
    Refine,       // the result itself, refined
};

// Undo and redo of the edits that change what a conversion reads. Each step keeps the parts of
// the session the edit changed, as they were before and after it.
class EditHistory {
public:
    static constexpr std::size_t kMaxSteps = 100;

    // Runs the edit on the session and remembers it, unless it changed nothing. A new edit
    // forgets what was undone.
    void Run(Session& session, EditKind kind, const std::function<void()>& edit);
    // Puts the parts back as they were before the last edit and converts; false when there is none.
    bool Undo(Session& session);
    // Puts the parts back as the last undone edit left them and converts as it did; false when there
    // is none.
    bool Redo(Session& session);
    bool CanUndo() const { return !done_.empty(); }
    bool CanRedo() const { return !undone_.empty(); }
    void Clear();

private:
    struct Step {
        Session::Snapshot before;
        Session::Snapshot after;
        bool converted;  // the edit ran a conversion
    };
    // Moves the last step of one list to the other; false when there is none.
    static bool Move(std::vector<Step>& from, std::vector<Step>& to);

    std::vector<Step> done_;
    std::vector<Step> undone_;
};

}  // namespace vorbix
