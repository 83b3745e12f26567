#pragma once

#include <array>
#include <cstdint>

#include "core/nearest_search.h"
#include "core/palette.h"
#include "core/picture.h"
#include "dither/linear_palette.h"

namespace vorbix {

// Pattern dithering for any palette (Knoll's method, as Yliluoma describes it). A colour's plan
// is a few palette entries whose mix in linear light comes close to it: each entry is the
// nearest (by the nearest-colour rule, at the byte levels of the light) to the colour plus the
// error in linear light of the entries chosen so far. A pixel takes the plan of its colour with
// each level rounded to one of 64 (0, 4, 8, ... 255). The plan is sorted by luminance, and each
// pixel shows the entry its place in a 4 x 4 Bayer matrix picks, so a flat area shows every
// entry of its plan once in every 4 x 4 block.
inline constexpr int kPlanSize = 16;
using MixingPlan = std::array<std::uint8_t, kPlanSize>;

MixingPlan PlanFor(const LinearPalette& light, const NearestColorSearch& search, LinearRgb colour);

void DitherKnollPattern(Picture& surface, const Palette& palette);

}  // namespace vorbix
