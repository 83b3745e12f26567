#pragma once

#include <array>

#include "core/palette.h"
#include "core/picture.h"
#include "dither/mix_table.h"

namespace vorbix {

constexpr int kChartColourCount = 15;

// The TVC colours without the second black, at the chart's normal level.
const std::array<PaletteEntry, kChartColourCount>& ChartColours();

// Mix (j, i), j <= i, counted row by row: (0,0)..(0,14) are 0..14, (1,1) is 15, (14,14) is 119.
int MixIndex(int j, int i);
struct MixPair {
    int j;
    int i;
};
MixPair MixOfIndex(int k);

// Per channel the mean of the two chart colours, an exact half rounded up.
PaletteEntry MixColour(int k);
// The 120 mix colours, the palette "Pattern TVC" matches against.
const Palette& PatternPalette();

// The nearest-colour rule over the palette, skipping switched-off mixes when the palette is the
// 120 mix colours (any other palette is searched whole).
int NearestMix(const Palette& palette, const MixTable& mixes, int red, int green, int blue);

// Switches off every mix that no pixel of the picture chooses.
void AutoSelectMixes(MixTable& mixes, const Palette& palette, const Picture& picture);

// Every pixel takes the first colour of its nearest mix where column and row are both even or
// both odd, the second colour elsewhere.
void DitherPatternTvc(Picture& surface, const Palette& palette, const MixTable& mixes);

}  // namespace vorbix
