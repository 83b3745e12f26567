#pragma once

#include "core/picture.h"

namespace vorbix {

// Slider values 0..100; factors are single precision, results round half to even.
// Each reads the source and writes the same-sized destination (which may be the source).
void AdjustBrightness(Picture& destination, const Picture& source, int value);
// Adds 1 to the value it is given, as the slider handler expects; the handler passes a copy.
void AdjustGamma(Picture& destination, const Picture& source, float& value);
void AdjustColor(Picture& destination, const Picture& source, int value);
void AdjustContrast(Picture& destination, const Picture& source, int value);

}  // namespace vorbix
