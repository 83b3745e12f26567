#pragma once

#include <cstdint>

#include "core/nearest_search.h"
#include "core/picture.h"
#include "dither/random_sequence.h"

namespace vorbix {

// Every pixel becomes its nearest palette colour.
void DitherThreshold(Picture& surface, const NearestColourSearch& palette);

// Each channel moves by a random whole amount of about +-amplitude/2 before the match; three
// numbers per buffer pixel, the columns right of the picture included, bottom row first.
void DitherThresholdNoise(Picture& surface, std::uint8_t amplitude, const NearestColourSearch& palette,
                          RandomSequence& random);

PaletteEntry NearestColourNoisy(const NearestColourSearch& palette, int red, int green, int blue, std::uint8_t amplitude,
                               RandomSequence& random);

}  // namespace vorbix
