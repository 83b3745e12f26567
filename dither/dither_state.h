#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <random>

#include "core/nearest_search.h"
#include "core/palette.h"

namespace vorbix {

constexpr int kMixCount = 120;

// Uniform single-precision numbers 0 <= r < 1 from a fixed seed, so the first noisy
// conversion of every run gives the same picture.
class RandomSequence {
public:
    float Next() { return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f); }
    bool operator==(const RandomSequence&) const = default;

private:
    std::mt19937 engine_{20261210u};
};

// Per mix: its first and second colour, and a scratch entry used while swapping them.
using PatternColorTable = std::array<std::array<PaletteEntry, 3>, kMixCount>;
// Per mix: the off switch (1 = takes no part in the match) and the swap mark.
using PatternFlagTable = std::array<std::array<std::int32_t, 2>, kMixCount>;

// The last searches built, kept while the palette (and for the pattern match the switches) stay
// the same. A cache, not state: two states compare equal whatever it holds.
struct SearchCache {
    std::shared_ptr<const NearestColorSearch> palette;
    std::shared_ptr<const NearestColorSearch> pattern;
    bool operator==(const SearchCache&) const { return true; }
};

// The shared state every conversion reads and changes; one per session, so tests and
// batch conversions each work on their own.
struct DitherState {
    Palette paletteColors = DefaultPalette16();
    PatternColorTable patternColors{};
    PatternFlagTable patternFlags{};
    RandomSequence random;
    mutable SearchCache searches;

    bool operator==(const DitherState&) const = default;
};

// The nearest-colour rule over PaletteColors.
const NearestColorSearch& PaletteSearch(const DitherState& state);
// The pattern match: as PaletteSearch, but skipping switched-off mixes while the 120-entry palette is installed.
const NearestColorSearch& PatternSearch(const DitherState& state);

}  // namespace vorbix
