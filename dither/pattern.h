#pragma once

#include <array>

#include "core/palette.h"
#include "core/picture.h"
#include "dither/dither_state.h"

namespace vorbix {

constexpr int kChartColorCount = 15;

// The TVC colours without the second black, at 147 for normal intensity.
const std::array<PaletteEntry, kChartColorCount>& ChartColors();

// Mix (j, i), j <= i, counted row by row: (0,0)..(0,14) are 0..14, (1,1) is 15, (14,14) is 119.
int MixIndex(int j, int i);
struct MixPair {
    int j;
    int i;
};
MixPair MixOfIndex(int k);

// Per channel the mean of the two chart colours, an exact half rounded up.
PaletteEntry MixColor(int k);

// Installs the 120 mix colours as PaletteColors.
void BuildPatternPalette(DitherState& state);
// First colour of mix k is chart colour i, the second chart colour j.
void FillPatternColors(DitherState& state);
void SwatchPalette(DitherState& state, const ColorValue* swatches, int count);

// The nearest-colour rule that skips switched-off mixes while the 120-entry palette is installed.
int NearestPattern(const DitherState& state, int red, int green, int blue);

// Switches off every mix that no pixel of the picture chooses.
void AutoSelectPatterns(DitherState& state, const Picture& picture);

// Every pixel takes the first colour of its nearest mix where column and row are both even or
// both odd, the second colour elsewhere.
void DitherPatternTvc(Picture& destination, const Picture& source, const DitherState& state);

}  // namespace vorbix
