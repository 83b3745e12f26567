#include "dither/pattern.h"

#include "core/nearest_search.h"
#include "core/tvc.h"

namespace vorbix {

namespace {

std::vector<std::uint8_t> SkipList(const Palette& palette, const MixTable& mixes) {
    return palette.size() == kMixCount ? mixes.OffList() : std::vector<std::uint8_t>{};
}

}  // namespace

const std::array<PaletteEntry, kChartColourCount>& ChartColours() {
    static const std::array<PaletteEntry, kChartColourCount> colours = [] {
        std::array<PaletteEntry, kChartColourCount> table{};
        int n = 0;
        for (int number = 0; number < 16; ++number) {
            if (number == 8) continue;
            const int level = (number & 8) ? kFullLevel : kChartNormalLevel;
            table[n++] = EntryFromRgb((number & 2) ? level : 0, (number & 4) ? level : 0, (number & 1) ? level : 0);
        }
        return table;
    }();
    return colours;
}

int MixIndex(int j, int i) {
    int k = 0;
    for (int r = 0; r < j; ++r) k += kChartColourCount - r;
    return k + (i - j);
}

MixPair MixOfIndex(int k) {
    int j = 0;
    while (k >= kChartColourCount - j) {
        k -= kChartColourCount - j;
        ++j;
    }
    return {j, j + k};
}

PaletteEntry MixColour(int k) {
    const MixPair mix = MixOfIndex(k);
    const PaletteEntry& a = ChartColours()[mix.i];
    const PaletteEntry& b = ChartColours()[mix.j];
    return EntryFromRgb((a.red + b.red + 1) / 2, (a.green + b.green + 1) / 2, (a.blue + b.blue + 1) / 2);
}

const Palette& PatternPalette() {
    static const Palette palette = [] {
        Palette mixes(kMixCount);
        for (int k = 0; k < kMixCount; ++k) mixes[k] = MixColour(k);
        return mixes;
    }();
    return palette;
}

int NearestMix(const Palette& palette, const MixTable& mixes, int red, int green, int blue) {
    const bool honourSwitches = palette.size() == kMixCount;
    return NearestAdmittedIndex(palette, red, green, blue, [&](int n) { return !honourSwitches || !mixes[n].off; });
}

void AutoSelectMixes(MixTable& mixes, const Palette& palette, const Picture& picture) {
    std::array<bool, kMixCount> used{};
    const auto search = SharedSearch(palette, SkipList(palette, mixes));
    NearestMemo memo(*search);
    const std::uint8_t* p = picture.Data();
    for (std::size_t i = 0; i < picture.ByteCount(); i += 3) used[memo.Index(p[i + 2], p[i + 1], p[i])] = true;
    for (int k = 0; k < kMixCount; ++k) mixes.SetOff(k, !used[k]);
}

void DitherPatternTvc(Picture& surface, const Palette& palette, const MixTable& mixes) {
    const auto search = SharedSearch(palette, SkipList(palette, mixes));
    NearestMemo memo(*search);
    for (int y = 0; y < surface.Height(); ++y) {
        std::uint8_t* p = surface.Row(y);
        for (int x = 0; x < surface.Width(); ++x, p += 3) {
            const Mix& mix = mixes[memo.Index(p[2], p[1], p[0])];
            const PaletteEntry& e = (x + y) % 2 == 0 ? mix.first : mix.second;
            p[0] = e.blue;
            p[1] = e.green;
            p[2] = e.red;
        }
    }
}

}  // namespace vorbix
