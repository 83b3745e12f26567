#pragma once

#include <vector>

#include "core/picture.h"
#include "core/tvc.h"
#include "pipeline/session.h"

namespace vorbix {

// The score "Best colours" ranks sets of swatches by, on copies of the screen reduced by any
// factor: how differently the machine's picture looks from the reference; lower is closer. The
// one place that chooses it.
double SwatchSearchScore(const Picture& reference, const Picture& shown, int reduction = 1);

// A set of swatches "Best colours" offers: its colours, its full-size score (SwatchSearchScore of
// the document's source view against the machine's picture) and that picture, 512 x 480.
struct SwatchCandidate {
    std::vector<ColourValue> swatches;
    double score = 0;
    Picture shown;
};

inline constexpr int kMaxSwatchCandidates = 6;

// The sets for the swatches of Graphics 2 or 4 that show the document's picture most alike with
// its method, tone and mixes, best first: up to count, each differing from every
// better one in at least half its colours (two of four; in Graphics 2 one of two, as two would
// leave the sets nothing in common). Every set of the 15 TVC colours that look different (the two
// blacks look alike) is tried on reduced copies; the front-runners, a spread of others, the
// default swatches and the document's own are then converted and scored at full size, so the first
// is never worse than the default or the current swatches; the best of them is then improved by
// trading one colour at a time while a trade helps. TVC sets are in colour-number order.
// A smaller count converts fewer sets at full size.
std::vector<SwatchCandidate> BestSwatchCandidates(const Session& session, TvcMode mode,
                                                  int count = kMaxSwatchCandidates);

// The best of BestSwatchCandidates, found converting only the sets that can be it at full size.
std::vector<ColourValue> BestSwatches(const Session& session, TvcMode mode);

// Chooses the method, then, where the document's mode has swatches, that method's best colours
// (BestSwatches), and returns them (none in Graphics 16): how "Compare methods" converts each
// method with its own best colours.
std::vector<ColourValue> ChooseMethodWithBestColours(Session& session, int method);

}  // namespace vorbix
