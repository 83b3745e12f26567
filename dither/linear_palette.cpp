#include "dither/linear_palette.h"

#include <algorithm>

namespace vorbix {

LinearRgb LinearOf(const PaletteEntry& entry) {
    const std::array<float, 256>& linear = LinearLight();
    return {linear[entry.red], linear[entry.green], linear[entry.blue]};
}

LinearRgb CoarseLinearOf(int red, int green, int blue) {
    return LinearOf(EntryFromRgb(LevelOfCoarseIndex(CoarseIndex(red)), LevelOfCoarseIndex(CoarseIndex(green)),
                                 LevelOfCoarseIndex(CoarseIndex(blue))));
}

LinearPalette::LinearPalette(const Palette& palette) : entries_(palette) {
    for (const PaletteEntry& entry : palette) {
        darkestFirst_.push_back(Size());
        linear_.push_back(LinearOf(entry));
    }
    // Rec. 709 luminance, as sRGB defines it.
    auto luminance = [&](int i) { return 0.2126f * linear_[i].red + 0.7152f * linear_[i].green + 0.0722f * linear_[i].blue; };
    std::stable_sort(darkestFirst_.begin(), darkestFirst_.end(), [&](int a, int b) { return luminance(a) < luminance(b); });
}

int LinearPalette::Nearest(LinearRgb colour) const {
    int best = 0;
    float bestDistance = 0;
    for (int i = 0; i < Size(); ++i) {
        const float dr = colour.red - linear_[i].red, dg = colour.green - linear_[i].green, db = colour.blue - linear_[i].blue;
        const float d = dr * dr + dg * dg + db * db;
        if (i == 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

}  // namespace vorbix
