#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/colour_memo.h"
#include "core/palette.h"
#include "core/picture.h"

namespace vorbix {

// The nearest-colour rule for one fixed palette, answered from a grid of colour cells that
// each list, in index order, only the entries that can be nearest somewhere in the cell: the
// same answers as a full scan (lowest index at the smallest distance), at a fraction of the work.
class NearestColourSearch {
public:
    // skip[i] != 0 keeps entry i out of every match; an empty skip list keeps every entry.
    explicit NearestColourSearch(const Palette& palette, const std::vector<std::uint8_t>& skip = {});

    // 0 when the palette is empty or every entry is skipped.
    int Index(int red, int green, int blue) const {
        // A handful of entries is scanned faster than a cell is looked up.
        return scan_ ? Scan(red, green, blue).index : CellIndex(red, green, blue);
    }
    // The entry at Index; a zero entry when the palette is empty.
    PaletteEntry Nearest(int red, int green, int blue) const {
        if (scan_) return Scan(red, green, blue).entry;
        return palette_.empty() ? PaletteEntry{} : palette_[CellIndex(red, green, blue)];
    }

    const PaletteEntry& Entry(int index) const { return palette_[index]; }
    bool Empty() const { return palette_.empty(); }

    bool Serves(const Palette& palette, const std::vector<std::uint8_t>& skip) const {
        return palette == palette_ && skip == skip_;
    }

private:
    static constexpr std::size_t kScanAtMost = 4;
    static constexpr int kCellShift = 4;
    static constexpr int kCellsPerChannel = 256 >> kCellShift;

    struct Match {
        int index = 0;
        PaletteEntry entry;
    };
    // The rule's scan without its early exit and with the choice made by selection, not by a
    // branch: in a dithered picture the winner changes from pixel to pixel, and a mispredicted
    // branch costs more than the few entries. An exact match cannot be beaten, so the answers agree.
    // The swatches of Graphics 2 and 4 are two and four entries: a count known when compiled
    // unrolls the scan.
    Match Scan(int red, int green, int blue) const {
        switch (palette_.size()) {
            case 2: return ScanFirst<2>(red, green, blue);
            case 4: return ScanFirst<4>(red, green, blue);
            default: return ScanFirst<0>(red, green, blue);
        }
    }
    template <std::size_t Count>
    Match ScanFirst(int red, int green, int blue) const {
        const std::size_t count = Count > 0 ? Count : palette_.size();
        const PaletteEntry* entries = palette_.data();
        std::int32_t best = 999999999;
        Match match;
        for (std::size_t i = 0; i < count; ++i) {
            const PaletteEntry e = entries[i];
            const std::int32_t dr = red - e.red, dg = green - e.green, db = blue - e.blue;
            const std::int32_t d = dr * dr + dg * dg + db * db;
            const bool closer = d < best;
            best = closer ? d : best;
            match = closer ? Match{static_cast<int>(i), e} : match;
        }
        return match;
    }
    int CellIndex(int red, int green, int blue) const;

    Palette palette_;
    bool scan_;
    std::vector<std::uint8_t> skip_;
    std::vector<std::uint32_t> cellStart_;  // candidates of cell c: [cellStart_[c], cellStart_[c + 1])
    std::vector<std::uint16_t> candidates_;
};

// The search for a palette and skip list, built once and shared while they stay the same: a
// conversion asks for the same few palettes again and again, and a grid takes longer to build
// than a small picture takes to convert. Safe to call from several threads.
std::shared_ptr<const NearestColourSearch> SharedSearch(const Palette& palette, const std::vector<std::uint8_t>& skip = {});

// Remembers a search's answers for the colours met during one walk over a picture, where the same
// colours come again and again (a dithered picture holds a handful).
class NearestMemo {
public:
    explicit NearestMemo(const NearestColourSearch& search) : search_(search) {}

    int Index(int red, int green, int blue) {
        const std::uint32_t key = (static_cast<std::uint32_t>(red) << 16) | (green << 8) | blue;
        return memo_.For(key, [&] { return static_cast<std::uint16_t>(search_.Index(red, green, blue)); });
    }

private:
    const NearestColourSearch& search_;
    ColourMemo<std::uint16_t, 12> memo_;
};

// Replaces every pixel of the destination by its nearest palette colour.
void SnapToPalette(Picture& destination, const Picture& source, const NearestColourSearch& palette);

}  // namespace vorbix
