#pragma once

#include "core/picture.h"

namespace vorbix {

// Threshold patterns applied to each channel on its own: every channel of every pixel becomes
// 0 or 255, whatever the palette.

// Cells of 2 x 2 or 3 x 3 pixels lit in rank order by the cell's channel sum.
void DitherHalftone2(Picture& destination, const Picture& source);
void DitherHalftone3(Picture& destination, const Picture& source);

// Bayer matrices whose column phase runs on from one row into the next.
void DitherBayer2(Picture& destination, const Picture& source);
void DitherBayer4(Picture& destination, const Picture& source);
void DitherBayer8(Picture& destination, const Picture& source);

// A clustered dot per 4 x 4 cell, grown to the cell's mean level in eighths.
void DitherNews4(Picture& destination, const Picture& source);

}  // namespace vorbix
