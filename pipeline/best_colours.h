#pragma once

#include <vector>

#include "core/picture.h"
#include "core/tvc.h"
#include "pipeline/session.h"

namespace vorbix {

// The set of TVC colours for the swatches of Graphics 2 or 4 that shows the document's picture
// most alike (the lowest likeness score) with its method, tone and mixes; in colour-number order.
// Every set of the 15 colours that look different (the two blacks look alike) is tried on a
// reduced copy; the front-runners are then converted at full size and the best of them wins.
std::vector<ColorValue> BestSwatches(const Session& session, TvcMode mode);

// Chooses the method, then, where the document's mode has swatches, that method's best colours
// (BestSwatches), and returns them (none in Graphics 16): how "Compare methods" converts each
// method with its own best colours.
std::vector<ColorValue> ChooseMethodWithBestColours(Session& session, int method);

}  // namespace vorbix
