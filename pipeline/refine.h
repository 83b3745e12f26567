#pragma once

#include <functional>
#include <optional>

#include "core/palette.h"
#include "core/picture.h"
#include "core/tvc.h"
#include "dither/mix_table.h"
#include "pipeline/task_progress.h"

namespace vorbix {

// What a refinement starts from: a conversion as the screen files take it.
struct RefineStart {
    Picture sourceView;  // what the result is compared with; the surface enlarged by whole pixels
    TvcMode mode = TvcMode::Graphics16;
    Picture surface;  // the mode's work surface
    Palette palette;  // what the screen encoder matches the surface against
    // Only for "Pattern TVC" in Graphics 16: the picture is made of two-colour mixes on a
    // checkerboard, so a change gives a pair of neighbouring pixels another mix that is on.
    std::optional<MixTable> mixes;

    bool operator==(const RefineStart&) const = default;
};

struct Refinement {
    Picture surface;
    // What the surface is matched against: the start's palette, in Graphics 2 and 4 with the
    // swatches the search chose in place of the start's.
    Palette palette;
    double scoreBefore = 0;  // the likeness scores of the start and of the result
    double scoreAfter = 0;
    double seconds = 0;       // all of it, the closing check of the score included
    int sweeps = 0;           // passes over the picture begun
    long changes = 0;         // changes kept
    int swatchChanges = 0;    // swatches given another colour
    bool converged = false;   // the last round gained too little to go on
    bool cancelled = false;   // then the surface is the start's
};

// Seconds on a clock that never goes back.
using Clock = std::function<double()>;
double SteadySeconds();

// Direct binary search from the start's result: sweeps the picture again and again, trying for
// each pixel every other colour the mode can show there and an exchange with each of its eight
// neighbours (with mixes: every mix that is on for each pixel pair), and keeps the change that
// lowers the eye model's error most (FilteredError). Each sweep is held to the likeness score:
// in the 8 x 8 tiles of the source view where the sweep scored worse, its changes are taken back
// and those pixels stay. Sweeps run in rounds, each weighing the model around the result so far;
// a round ends at a sweep that gains under 0.1 % of the score, the search at a round that gains
// under 1 % (converged) or when the budget is spent. Pixels it does not change keep their bytes.
// In Graphics 2 and 4 the swatches move too (dithered colour quantization, Buhmann, Fellner,
// Held, Ketterer & Puzicha): after every round, every swatch is tried as each other TVC colour,
// its pixels keeping their swatch, on a reduced view; the few that screen best (while the pixels
// still gain 1 % a round, only those that screen better than the swatches as they are) are scored
// in full and the change that lowers the score most is kept for the next round. The search has converged
// when a round gains under 1 % and no swatch change helps. The result never scores worse than
// the start.
Refinement Refine(const RefineStart& start, double budgetSeconds, TaskProgress* progress = nullptr,
                  const Clock& clock = SteadySeconds);

}  // namespace vorbix
