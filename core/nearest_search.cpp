#include "core/nearest_search.h"

#include <algorithm>
#include <cstdlib>

namespace vorbix {

namespace {

struct Range {
    int low;
    int high;
};

int NearestGap(int value, Range r) { return value < r.low ? r.low - value : (value > r.high ? value - r.high : 0); }
int FarthestGap(int value, Range r) { return std::max(std::abs(value - r.low), std::abs(value - r.high)); }

}  // namespace

NearestColorSearch::NearestColorSearch(const Palette& palette, const std::vector<std::uint8_t>& skip)
    : palette_(palette), skip_(skip) {
    std::vector<int> active;
    for (int i = 0; i < static_cast<int>(palette.size()); ++i)
        if (skip.empty() || !skip[i]) active.push_back(i);
    const int cells = kCellsPerChannel * kCellsPerChannel * kCellsPerChannel;
    cellStart_.reserve(cells + 1);
    std::vector<int> nearest(active.size());
    for (int cell = 0; cell < cells; ++cell) {
        cellStart_.push_back(static_cast<std::uint32_t>(candidates_.size()));
        const int size = 1 << kCellShift;
        auto rangeOf = [&](int level) { return Range{level * size, level * size + size - 1}; };
        const Range rr = rangeOf(cell / (kCellsPerChannel * kCellsPerChannel));
        const Range rg = rangeOf((cell / kCellsPerChannel) % kCellsPerChannel);
        const Range rb = rangeOf(cell % kCellsPerChannel);
        // An entry can win somewhere in the cell only if its closest approach is no farther than
        // the best entry's farthest point; ties stay in, so the lowest index still wins them.
        int bound = 999999999;
        for (std::size_t a = 0; a < active.size(); ++a) {
            const PaletteEntry& e = palette[active[a]];
            const int nr = NearestGap(e.red, rr), ng = NearestGap(e.green, rg), nb = NearestGap(e.blue, rb);
            const int fr = FarthestGap(e.red, rr), fg = FarthestGap(e.green, rg), fb = FarthestGap(e.blue, rb);
            nearest[a] = nr * nr + ng * ng + nb * nb;
            bound = std::min(bound, fr * fr + fg * fg + fb * fb);
        }
        for (std::size_t a = 0; a < active.size(); ++a)
            if (nearest[a] <= bound) candidates_.push_back(static_cast<std::uint16_t>(active[a]));
    }
    cellStart_.push_back(static_cast<std::uint32_t>(candidates_.size()));
}

int NearestColorSearch::Index(int red, int green, int blue) const {
    // A handful of entries is scanned faster than a cell is looked up.
    if (palette_.size() <= kScanAtMost && skip_.empty()) return NearestColorIndex(palette_, red, green, blue);
    const int cell = ((red >> kCellShift) * kCellsPerChannel + (green >> kCellShift)) * kCellsPerChannel + (blue >> kCellShift);
    std::int32_t best = 999999999;
    int bestIndex = 0;
    for (std::uint32_t c = cellStart_[cell]; c < cellStart_[cell + 1]; ++c) {
        const PaletteEntry& e = palette_[candidates_[c]];
        const std::int32_t dr = red - e.red, dg = green - e.green, db = blue - e.blue;
        const std::int32_t d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            bestIndex = candidates_[c];
            if (d == 0) break;
        }
    }
    return bestIndex;
}

void SnapToPalette(Picture& destination, const Picture& source, const NearestColorSearch& palette) {
    if (&destination != &source) destination = source;
    for (int y = 0; y < destination.Height(); ++y) {
        std::uint8_t* p = destination.Row(y);
        for (int x = 0; x < destination.Width(); ++x, p += 3) {
            const PaletteEntry e = palette.Nearest(p[2], p[1], p[0]);
            p[0] = e.blue;
            p[1] = e.green;
            p[2] = e.red;
        }
    }
}

}  // namespace vorbix
