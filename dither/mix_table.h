#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/palette.h"

namespace vorbix {

constexpr int kMixCount = 120;

// One two-colour mix of "Pattern TVC": the colour a pixel takes where column and row are both
// even or both odd (first), the colour elsewhere (second), whether the mix takes no part in the
// match (off), and whether the chart marks it as swapped (a mark of its own: the inspector swaps
// colours without marking, "All On" clears marks without swapping back).
struct Mix {
    PaletteEntry first;
    PaletteEntry second;
    bool off = false;
    bool swapMarked = false;

    bool operator==(const Mix&) const = default;
};

// The 120 mixes, indexed as MixIndex counts them; starts with every mix's chart colours, all on.
class MixTable {
public:
    MixTable();

    const Mix& operator[](int k) const { return mixes_[k]; }
    void SetOff(int k, bool off) { mixes_[k].off = off; }
    void SwapColours(int k);
    void ToggleSwapMark(int k) { mixes_[k].swapMarked = !mixes_[k].swapMarked; }
    // Every mix on or off, and no swap marks; the colours stay as they are.
    void SetAll(bool off);
    int OnCount() const;
    // Per mix 1 where it is off: the skip list of a search over the 120 mix colours.
    std::vector<std::uint8_t> OffList() const;

    bool operator==(const MixTable&) const = default;

private:
    std::array<Mix, kMixCount> mixes_;
};

}  // namespace vorbix
