#pragma once

#include "core/picture.h"

namespace vorbix {

// Slider values 0..100; factors are single precision, results round half to even.
// Each reads the source and writes the same-sized destination (which may be the source).
void AdjustBrightness(Picture& destination, const Picture& source, int value);
// The exponent is 50 / (value + 1), so the slider's middle leaves the picture almost as it is.
void AdjustGamma(Picture& destination, const Picture& source, int value);
void AdjustColour(Picture& destination, const Picture& source, int value);
void AdjustContrast(Picture& destination, const Picture& source, int value);

}  // namespace vorbix
