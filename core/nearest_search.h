#pragma once

#include <cstdint>
#include <vector>

#include "core/palette.h"
#include "core/picture.h"

namespace vorbix {

// The nearest-colour rule for one fixed palette, answered from a grid of colour cells that
// each list, in index order, only the entries that can be nearest somewhere in the cell: the
// same answers as a full scan (lowest index at the smallest distance), at a fraction of the work.
class NearestColorSearch {
public:
    // skip[i] != 0 keeps entry i out of every match; an empty skip list keeps every entry.
    NearestColorSearch(const Palette& palette, const std::vector<std::uint8_t>& skip);
    // A search over a whole palette; converts implicitly so a palette can be passed where a search is asked.
    NearestColorSearch(const Palette& palette) : NearestColorSearch(palette, {}) {}

    // 0 when the palette is empty or every entry is skipped.
    int Index(int red, int green, int blue) const;
    // The entry at Index; a zero entry when the palette is empty.
    PaletteEntry Nearest(int red, int green, int blue) const {
        return palette_.empty() ? PaletteEntry{} : palette_[Index(red, green, blue)];
    }

    bool Serves(const Palette& palette, const std::vector<std::uint8_t>& skip) const {
        return palette == palette_ && skip == skip_;
    }

private:
    static constexpr std::size_t kScanAtMost = 4;
    static constexpr int kCellShift = 4;
    static constexpr int kCellsPerChannel = 256 >> kCellShift;

    Palette palette_;
    std::vector<std::uint8_t> skip_;
    std::vector<std::uint32_t> cellStart_;  // candidates of cell c: [cellStart_[c], cellStart_[c + 1])
    std::vector<std::uint16_t> candidates_;
};

// Replaces every pixel of the destination by its nearest palette colour.
void SnapToPalette(Picture& destination, const Picture& source, const NearestColorSearch& palette);

}  // namespace vorbix
