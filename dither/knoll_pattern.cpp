#include "dither/knoll_pattern.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "core/parallel.h"

namespace vorbix {

namespace {

// Rank of each place in a 4 x 4 cell, row by row: every rank once, neighbours far apart in rank.
constexpr std::array<int, kPlanSize> kBayer4{0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

}  // namespace

PlanMaker::PlanMaker(const Palette& palette, const PlanRule& rule) : rule_(rule), light_(palette) {
    assert(rule.picks > 0 && kPlanSize % rule.picks == 0);
    // Only what the rule picks by.
    if (rule.lightnessWeight <= 0)
        search_ = SharedSearch(palette);
    else
        for (int i = 0; i < light_.Size(); ++i) ok_.push_back(OkLabOf(light_.Linear(i)));
}

int PlanMaker::Nearest(LinearRgb colour) const {
    if (rule_.lightnessWeight <= 0)
        return search_->Index(LevelOfLight(colour.red), LevelOfLight(colour.green), LevelOfLight(colour.blue));
    const OkLab wanted = OkLabOf({std::clamp(colour.red, 0.0f, 1.0f), std::clamp(colour.green, 0.0f, 1.0f),
                                  std::clamp(colour.blue, 0.0f, 1.0f)});
    int best = 0;
    float bestDistance = std::numeric_limits<float>::infinity();
    for (int i = 0; i < static_cast<int>(ok_.size()); ++i) {
        const float l = wanted.L - ok_[i].L, a = wanted.a - ok_[i].a, b = wanted.b - ok_[i].b;
        const float distance = rule_.lightnessWeight * l * l + a * a + b * b;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

MixingPlan PlanMaker::For(LinearRgb colour) const {
    std::array<int, 256> times{};
    LinearRgb error{};
    for (int n = 0; n < rule_.picks; ++n) {
        const int chosen = Nearest({colour.red + rule_.carried * error.red, colour.green + rule_.carried * error.green,
                                    colour.blue + rule_.carried * error.blue});
        ++times[chosen];
        const LinearRgb& shown = light_.Linear(chosen);
        error.red += colour.red - shown.red;
        error.green += colour.green - shown.green;
        error.blue += colour.blue - shown.blue;
    }
    MixingPlan plan{};
    const int places = kPlanSize / rule_.picks;
    int n = 0;
    for (int i : light_.DarkestFirst())
        for (int t = 0; t < times[i] * places; ++t) plan[n++] = static_cast<std::uint8_t>(i);
    return plan;
}

void DitherKnollPattern(Picture& surface, const Palette& palette, const PlanRule& rule) {
    if (palette.empty()) return;
    const PlanMaker maker(palette, rule);
    const int width = surface.Width();
    ParallelBands(surface.Height(), 600LL * width, [&](int firstRow, int endRow) {
        const auto plan = [&](LinearRgb colour) { return maker.For(colour); };
        CoarseColourMemo<MixingPlan, decltype(plan)> memo(plan);
        for (int y = firstRow; y < endRow; ++y) {
            std::uint8_t* p = surface.Row(y);
            for (int x = 0; x < width; ++x, p += 3) {
                const PaletteEntry& e = maker.Light().Entry(memo.For(p[2], p[1], p[0])[kBayer4[(y % 4) * 4 + x % 4]]);
                p[0] = e.blue;
                p[1] = e.green;
                p[2] = e.red;
            }
        }
    });
}

void DitherKnollPatternPlain(Picture& surface, const Palette& palette, const PlanRule& rule) {
    if (palette.empty()) return;
    const PlanMaker maker(palette, rule);
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) {
            const PaletteEntry pixel = EntryFromColour(surface.Pixel(x, y));
            const MixingPlan plan = maker.For(CoarseLinearOf(pixel.red, pixel.green, pixel.blue));
            surface.SetPixel(x, y, ColourOfEntry(maker.Light().Entry(plan[kBayer4[(y % 4) * 4 + x % 4]])));
        }
}

}  // namespace vorbix
