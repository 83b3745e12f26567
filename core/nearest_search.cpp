#include "core/nearest_search.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace vorbix {

namespace {

struct Range {
    int low;
    int high;
};

int NearestGap(int value, Range r) { return value < r.low ? r.low - value : (value > r.high ? value - r.high : 0); }
int FarthestGap(int value, Range r) { return std::max(std::abs(value - r.low), std::abs(value - r.high)); }

std::int64_t SquaredLength(const PaletteEntry& e) {
    return static_cast<std::int64_t>(e.red) * e.red + e.green * e.green + e.blue * e.blue;
}

// Whether f wins over e at every colour of the box: d(e, x) - d(f, x) is linear in x, so its
// smallest value over the box is at one corner. A tie counts as a win when f has the lower index.
bool BeatsEverywhere(const PaletteEntry& f, bool fLower, const PaletteEntry& e, Range rr, Range rg, Range rb) {
    auto corner = [](int towardsE, Range r) { return towardsE > 0 ? r.high : r.low; };
    const int dr = e.red - f.red, dg = e.green - f.green, db = e.blue - f.blue;
    const std::int64_t margin = SquaredLength(e) - SquaredLength(f) -
                                2 * (static_cast<std::int64_t>(corner(dr, rr)) * dr + corner(dg, rg) * dg + corner(db, rb) * db);
    return margin > 0 || (margin == 0 && fLower);
}

}  // namespace

NearestColourSearch::NearestColourSearch(const Palette& palette, const std::vector<std::uint8_t>& skip)
    : palette_(palette), scan_(palette.size() <= kScanAtMost && skip.empty()), skip_(skip) {
    if (scan_) return;
    std::vector<int> active;
    for (int i = 0; i < static_cast<int>(palette.size()); ++i)
        if (skip.empty() || !skip[i]) active.push_back(i);
    const int cells = kCellsPerChannel * kCellsPerChannel * kCellsPerChannel;
    cellStart_.reserve(cells + 1);
    std::vector<int> nearest(active.size());
    std::vector<int> survivors;
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
        survivors.clear();
        for (std::size_t a = 0; a < active.size(); ++a)
            if (nearest[a] <= bound) survivors.push_back(active[a]);
        for (int e : survivors) {
            const bool beaten = std::any_of(survivors.begin(), survivors.end(), [&](int f) {
                return f != e && BeatsEverywhere(palette[f], f < e, palette[e], rr, rg, rb);
            });
            if (!beaten) candidates_.push_back(static_cast<std::uint16_t>(e));
        }
    }
    cellStart_.push_back(static_cast<std::uint32_t>(candidates_.size()));
}

int NearestColourSearch::CellIndex(int red, int green, int blue) const {
    const int cell = ((red >> kCellShift) * kCellsPerChannel + (green >> kCellShift)) * kCellsPerChannel + (blue >> kCellShift);
    std::int32_t best = 999999999;
    int bestIndex = 0;
    for (std::uint32_t c = cellStart_[cell]; c < cellStart_[cell + 1]; ++c) {
        const PaletteEntry& e = palette_[candidates_[c]];
        const std::int32_t dr = red - e.red, dg = green - e.green, db = blue - e.blue;
        const std::int32_t d = dr * dr + dg * dg + db * db;
        // Chosen by selection, as in Scan.
        const bool closer = d < best;
        best = closer ? d : best;
        bestIndex = closer ? candidates_[c] : bestIndex;
    }
    return bestIndex;
}

std::shared_ptr<const NearestColourSearch> SharedSearch(const Palette& palette, const std::vector<std::uint8_t>& skip) {
    // A handful covers the palettes one document switches between (swatches, 16 colours, mixes).
    constexpr std::size_t kKept = 8;
    static std::mutex mutex;
    static std::deque<std::shared_ptr<const NearestColourSearch>> kept;
    {
        const std::lock_guard lock(mutex);
        for (const auto& search : kept)
            if (search->Serves(palette, skip)) return search;
    }
    auto made = std::make_shared<const NearestColourSearch>(palette, skip);
    const std::lock_guard lock(mutex);
    kept.push_front(made);
    if (kept.size() > kKept) kept.pop_back();
    return made;
}

void SnapToPalette(Picture& destination, const Picture& source, const NearestColourSearch& palette) {
    if (&destination != &source) destination = source;
    if (palette.Empty()) return;
    NearestMemo memo(palette);
    for (int y = 0; y < destination.Height(); ++y) {
        std::uint8_t* p = destination.Row(y);
        for (int x = 0; x < destination.Width(); ++x, p += 3) {
            const PaletteEntry& e = palette.Entry(memo.Index(p[2], p[1], p[0]));
            p[0] = e.blue;
            p[1] = e.green;
            p[2] = e.red;
        }
    }
}

}  // namespace vorbix
