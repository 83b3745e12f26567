#include "core/palette.h"

namespace vorbix {

Palette DefaultPalette2() { return {EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255)}; }

Palette DefaultPalette4() {
    return {EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255), EntryFromRgb(0, 0, 255), EntryFromRgb(255, 0, 0)};
}

Palette DefaultPalette16() {
    Palette palette;
    for (int number = 0; number < 16; ++number) {
        const int level = (number & 8) ? 255 : 145;
        const int blue = (number & 1) ? level : 0;
        const int red = (number & 2) ? level : 0;
        const int green = (number & 4) ? level : 0;
        palette.push_back(number == 8 ? EntryFromRgb(0, 0, 0) : EntryFromRgb(red, green, blue));
    }
    return palette;
}

PaletteEntry NearestColor(const Palette& palette, int red, int green, int blue) {
    if (palette.empty()) return PaletteEntry{};
    return palette[NearestColorIndex(palette, red, green, blue)];
}


}  // namespace vorbix
