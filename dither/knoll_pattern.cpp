#include "dither/knoll_pattern.h"

#include <algorithm>

#include "core/parallel.h"

namespace vorbix {

namespace {

// Rank of each place in a 4 x 4 cell, row by row: every rank once, neighbours far apart in rank.
constexpr std::array<int, kPlanSize> kBayer4{0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

}  // namespace

MixingPlan PlanFor(const LinearPalette& light, const NearestColorSearch& search, LinearRgb colour) {
    std::array<int, 256> times{};
    LinearRgb error{};
    for (int n = 0; n < kPlanSize; ++n) {
        const int chosen = search.Index(LevelOfLight(colour.red + error.red), LevelOfLight(colour.green + error.green),
                                        LevelOfLight(colour.blue + error.blue));
        ++times[chosen];
        const LinearRgb& shown = light.Linear(chosen);
        error.red += colour.red - shown.red;
        error.green += colour.green - shown.green;
        error.blue += colour.blue - shown.blue;
    }
    MixingPlan plan{};
    int n = 0;
    for (int i : light.DarkestFirst())
        for (int t = 0; t < times[i]; ++t) plan[n++] = static_cast<std::uint8_t>(i);
    return plan;
}

void DitherKnollPattern(Picture& surface, const Palette& palette) {
    if (palette.empty()) return;
    const LinearPalette light(palette);
    const auto search = SharedSearch(palette);
    const int width = surface.Width();
    ParallelBands(surface.Height(), 600LL * width, [&](int firstRow, int endRow) {
        const auto plan = [&](LinearRgb colour) { return PlanFor(light, *search, colour); };
        CoarseColourMemo<MixingPlan, decltype(plan)> memo(plan);
        for (int y = firstRow; y < endRow; ++y) {
            std::uint8_t* p = surface.Row(y);
            for (int x = 0; x < width; ++x, p += 3) {
                const PaletteEntry& e = light.Entry(memo.For(p[2], p[1], p[0])[kBayer4[(y % 4) * 4 + x % 4]]);
                p[0] = e.blue;
                p[1] = e.green;
                p[2] = e.red;
            }
        }
    });
}

}  // namespace vorbix
