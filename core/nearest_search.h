#pragma once

#include <cstdint>
#include <vector>

#include "core/palette.h"

namespace vorbix {

// The nearest-colour rule for one fixed palette, answered from a grid of colour cells that
// each list, in index order, only the entries that can be nearest somewhere in the cell: the
// same answers as a full scan (lowest index at the smallest distance), at a fraction of the work.
class NearestColorSearch {
public:
    // skip[i] != 0 keeps entry i out of every match; an empty skip list keeps every entry.
    NearestColorSearch(const Palette& palette, const std::vector<std::uint8_t>& skip);

    // 0 when the palette is empty or every entry is skipped.
    int Index(int red, int green, int blue) const;

    bool Serves(const Palette& palette, const std::vector<std::uint8_t>& skip) const {
        return palette == palette_ && skip == skip_;
    }

private:
    static constexpr int kCellShift = 4;
    static constexpr int kCellsPerChannel = 256 >> kCellShift;

    Palette palette_;
    std::vector<std::uint8_t> skip_;
    std::vector<std::uint32_t> cellStart_;  // candidates of cell c: [cellStart_[c], cellStart_[c + 1])
    std::vector<std::uint16_t> candidates_;
};

}  // namespace vorbix
