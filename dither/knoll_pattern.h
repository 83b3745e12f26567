#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/oklab.h"
#include "core/nearest_search.h"
#include "core/palette.h"
#include "core/picture.h"
#include "dither/linear_palette.h"

namespace vorbix {

// Pattern dithering for any palette (Knoll's method, as Yliluoma describes it). A colour's plan
// is a few palette entries whose mix in linear light comes close to it: each entry is the
// nearest to the colour plus a share of the error in linear light of the entries chosen so far.
// A pixel takes the plan of its colour with each level rounded to one of 64 (0, 4, 8, ... 255).
// The plan is sorted by luminance, and each pixel shows the entry its place in a 4 x 4 Bayer
// matrix picks, so a flat area shows its whole plan in every 4 x 4 block.
inline constexpr int kPlanSize = 16;
using MixingPlan = std::array<std::uint8_t, kPlanSize>;

// How a colour's plan is made.
struct PlanRule {
    int picks;       // divides kPlanSize; each pick fills kPlanSize / picks places of the plan
    float carried;   // the share of the error so far added to the colour before each pick
    // 0: the nearest by the nearest-colour rule at the byte levels of the light (Knoll's own).
    // Above 0: the nearest in OKLab, lightness differences weighed so many times against hue.
    float lightnessWeight;
};
inline constexpr PlanRule kKnollPlan{16, 1.0f, 0};
// Carrying little error keeps a plan to few colours near the pixel's, which the eye at TV
// distance sees as less noise, at the cost of leaning to the nearer colour. Picks, share and
// weight scored best of those tried on twelve photos (the likeness score, Graphics 4 and 16).
inline constexpr PlanRule kOkLabPlan{8, 0.3f, 0.5f};

// Makes the plans of one palette by one rule.
class PlanMaker {
public:
    PlanMaker(const Palette& palette, const PlanRule& rule);
    MixingPlan For(LinearRgb colour) const;
    const LinearPalette& Light() const { return light_; }

private:
    int Nearest(LinearRgb colour) const;

    PlanRule rule_;
    LinearPalette light_;
    std::shared_ptr<const NearestColourSearch> search_;
    std::vector<OkLab> ok_;
};

void DitherKnollPattern(Picture& surface, const Palette& palette, const PlanRule& rule);
// The same written out plainly: each pixel's plan made afresh, row after row, with no memo of
// the plans and no bands in parallel.
void DitherKnollPatternPlain(Picture& surface, const Palette& palette, const PlanRule& rule);

}  // namespace vorbix
