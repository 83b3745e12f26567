#pragma once

#include "core/picture.h"

namespace vorbix {

constexpr int kMagnifierSize = 120;
constexpr int kMagnifiedBlock = 5;  // pixels across that the magnifier shows

// Shows the 5 x 5 block of the source whose top-left pixel is (left, top), each pixel as a
// square of 24, with the outside colour where the block leaves the source; the centre pixel is
// framed in two lines, the inner one in the first colour given.
void DrawMagnifier(Picture& zoom, const Picture& source, int left, int top, ColourValue outside, ColourValue innerFrame,
                   ColourValue outerFrame);

}  // namespace vorbix
