#pragma once

#include <cstdint>
#include <vector>

#include "core/picture.h"

namespace vorbix {

struct PaletteEntry {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;

    bool operator==(const PaletteEntry&) const = default;
};

constexpr PaletteEntry EntryFromRgb(int red, int green, int blue) {
    return PaletteEntry{static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
                        static_cast<std::uint8_t>(red), 0};
}
constexpr PaletteEntry EntryFromColour(ColourValue c) { return EntryFromRgb(GetRed(c), GetGreen(c), GetBlue(c)); }
constexpr ColourValue ColourOfEntry(const PaletteEntry& e) { return MakeColour(e.red, e.green, e.blue); }

using Palette = std::vector<PaletteEntry>;

// The nearest-colour rule: the lowest index at the smallest squared RGB distance, over the
// entries that admit(i) lets take part; an exact match ends the search. 0 when none takes part
// (an empty palette too).
template <typename Admit>
int NearestAdmittedIndex(const Palette& palette, int red, int green, int blue, Admit admit) {
    std::int32_t best = 999999999;
    int bestIndex = 0;
    for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
        if (!admit(i)) continue;
        const PaletteEntry& e = palette[i];
        const std::int32_t dr = red - e.red, dg = green - e.green, db = blue - e.blue;
        const std::int32_t d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            bestIndex = i;
            if (d == 0) break;
        }
    }
    return bestIndex;
}

inline int NearestColourIndex(const Palette& palette, int red, int green, int blue) {
    return NearestAdmittedIndex(palette, red, green, blue, [](int) { return true; });
}

}  // namespace vorbix
