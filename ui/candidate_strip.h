#pragma once

#include <QGroupBox>
#include <QLabel>
#include <array>
#include <functional>
#include <vector>

#include "pipeline/best_colours.h"
#include "ui/picture_view.h"

namespace vorbix {

// The sets "Best colours" offered, each as a small picture of the result with its score, best
// first; a click takes one. The set the swatches hold is framed. The sets belong to the document
// they were found for: once its picture, tone, mode, method or mixes change, they are gone.
class CandidateStrip : public QGroupBox {
public:
    static constexpr int kPreviewWidth = 64;
    static constexpr int kPreviewHeight = 60;

    CandidateStrip(QWidget* parent, std::function<void(const std::vector<ColourValue>&)> take);

    // Shows these sets, found for the document as it is in this mode.
    void Show(std::vector<SwatchCandidate> candidates, const Session& session, TvcMode mode);
    // Follows the document: empties itself when the sets no longer belong to it, frames the set
    // its swatches hold.
    void Follow(const Session& session);
    const std::vector<SwatchCandidate>& Offered() const { return candidates_; }

private:
    struct Cell {
        PictureView* picture = nullptr;
        QLabel* score = nullptr;
    };
    struct MadeFor {
        TvcMode mode = TvcMode::Graphics16;
        int method = 0;
        Picture sourceView;
        MixTable mixes;
    };
    void Clear();
    void Take(int index);

    std::function<void(const std::vector<ColourValue>&)> take_;
    std::array<Cell, kMaxSwatchCandidates> cells_;
    std::array<Picture, kMaxSwatchCandidates> small_;
    std::vector<SwatchCandidate> candidates_;
    MadeFor madeFor_;
};

}  // namespace vorbix
