#include "dither/pattern.h"

namespace vorbix {

const std::array<PaletteEntry, kChartColorCount>& ChartColors() {
    static const std::array<PaletteEntry, kChartColorCount> colors = [] {
        std::array<PaletteEntry, kChartColorCount> table{};
        int n = 0;
        for (int number = 0; number < 16; ++number) {
            if (number == 8) continue;
            const int level = (number & 8) ? 255 : 147;
            table[n++] = EntryFromRgb((number & 2) ? level : 0, (number & 4) ? level : 0, (number & 1) ? level : 0);
        }
        return table;
    }();
    return colors;
}

int MixIndex(int j, int i) {
    int k = 0;
    for (int r = 0; r < j; ++r) k += kChartColorCount - r;
    return k + (i - j);
}

MixPair MixOfIndex(int k) {
    int j = 0;
    while (k >= kChartColorCount - j) {
        k -= kChartColorCount - j;
        ++j;
    }
    return {j, j + k};
}

PaletteEntry MixColor(int k) {
    const MixPair mix = MixOfIndex(k);
    const PaletteEntry& a = ChartColors()[mix.i];
    const PaletteEntry& b = ChartColors()[mix.j];
    return EntryFromRgb((a.red + b.red + 1) / 2, (a.green + b.green + 1) / 2, (a.blue + b.blue + 1) / 2);
}

void BuildPatternPalette(DitherState& state) {
    state.paletteColors.assign(kMixCount, PaletteEntry{});
    for (int k = 0; k < kMixCount; ++k) state.paletteColors[k] = MixColor(k);
}

void FillPatternColors(DitherState& state) {
    for (int k = 0; k < kMixCount; ++k) {
        const MixPair mix = MixOfIndex(k);
        state.patternColors[k][0] = ChartColors()[mix.i];
        state.patternColors[k][1] = ChartColors()[mix.j];
    }
}

void SwatchPalette(DitherState& state, const ColorValue* swatches, int count) {
    state.paletteColors.assign(count, PaletteEntry{});
    for (int n = 0; n < count; ++n) state.paletteColors[n] = EntryFromColor(swatches[n]);
}

int NearestPattern(const DitherState& state, int red, int green, int blue) {
    const bool honourSwitches = state.paletteColors.size() == kMixCount;
    return NearestAdmittedIndex(state.paletteColors, red, green, blue,
                                [&](int n) { return !honourSwitches || state.patternFlags[n][0] != 1; });
}

void AutoSelectPatterns(DitherState& state, const Picture& picture) {
    std::array<bool, kMixCount> used{};
    NearestMemo memo(PatternSearch(state));
    const std::uint8_t* p = picture.Data();
    for (std::size_t i = 0; i < picture.ByteCount(); i += 3) used[memo.Index(p[i + 2], p[i + 1], p[i])] = true;
    for (int k = 0; k < kMixCount; ++k) state.patternFlags[k][0] = used[k] ? 0 : 1;
}

void DitherPatternTvc(Picture& destination, const Picture& source, const DitherState& state) {
    if (&destination != &source) destination = source;
    NearestMemo memo(PatternSearch(state));
    for (int y = 0; y < destination.Height(); ++y) {
        std::uint8_t* p = destination.Row(y);
        for (int x = 0; x < destination.Width(); ++x, p += 3) {
            const int mix = memo.Index(p[2], p[1], p[0]);
            const PaletteEntry& e = state.patternColors[mix][(x + y) % 2];
            p[0] = e.blue;
            p[1] = e.green;
            p[2] = e.red;
        }
    }
}

}  // namespace vorbix
