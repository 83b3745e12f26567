#include "dither/dither_state.h"

namespace vorbix {

namespace {

const NearestColorSearch& Cached(std::shared_ptr<const NearestColorSearch>& cached, const Palette& palette,
                                 const std::vector<std::uint8_t>& skip) {
    if (!cached || !cached->Serves(palette, skip)) cached = std::make_shared<const NearestColorSearch>(palette, skip);
    return *cached;
}

}  // namespace

const NearestColorSearch& PaletteSearch(const DitherState& state) {
    return Cached(state.searches.palette, state.paletteColors, {});
}

const NearestColorSearch& PatternSearch(const DitherState& state) {
    std::vector<std::uint8_t> skip;
    if (state.paletteColors.size() == kMixCount)
        for (const auto& flags : state.patternFlags) skip.push_back(flags[0] == 1);
    return Cached(state.searches.pattern, state.paletteColors, skip);
}

}  // namespace vorbix
