#include "dither/methods.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "dither/error_diffusion.h"
#include "dither/ordered.h"
#include "dither/pattern.h"
#include "dither/threshold.h"

namespace vorbix {

namespace {

constexpr std::uint8_t kNoiseAmplitude = 30;

template <void (*Method)(Picture&, const Picture&, const NearestColorSearch&)>
void WithPalette(Picture& d, const Picture& s, DitherState& state) {
    Method(d, s, PaletteSearch(state));
}
template <void (*Method)(Picture&, const Picture&)>
void WithoutState(Picture& d, const Picture& s, DitherState&) {
    Method(d, s);
}
void RunThresholdNoise(Picture& d, const Picture& s, DitherState& state) {
    const std::uint8_t amplitude = kNoiseAmplitude;
    DitherThresholdNoise(d, s, amplitude, PaletteSearch(state), state.random);
}
void RunPatternTvc(Picture& d, const Picture& s, DitherState& state) { DitherPatternTvc(d, s, state); }

bool SameCaption(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

const std::array<MethodInfo, kMethodCount>& Methods() {
    static const std::array<MethodInfo, kMethodCount> table = {{
        {1, "Atkinson", WithPalette<DitherAtkinson>},
        {2, "Floyd", WithPalette<DitherFloyd>},
        {3, "Treshold", WithPalette<DitherThreshold>},
        {4, "Treshold+Noise", RunThresholdNoise},
        {5, "Halftone 2x2", WithoutState<DitherHalftone2>},
        {6, "Halftone 3x3", WithoutState<DitherHalftone3>},
        {7, "Bayer 2x2", WithoutState<DitherBayer2>},
        {8, "Bayer 4x4", WithoutState<DitherBayer4>},
        {9, "Bayer 8x8", WithoutState<DitherBayer8>},
        {10, "News 4x4", WithoutState<DitherNews4>},
        {11, "Sierra", WithPalette<DitherSierra>},
        {12, "Burkles", WithPalette<DitherBurkles>},
        {13, "Stucky", WithPalette<DitherStucky>},
        {14, "Jarvis", WithPalette<DitherJarvis>},
        {15, "Sierra Lite", WithPalette<DitherSierraLite>},
        {16, "Sierra2 Row", WithPalette<DitherSierra2Row>},
        {17, "Pattern TVC", RunPatternTvc},
    }};
    return table;
}

const MethodInfo& MethodByIndex(int index) { return Methods().at(static_cast<std::size_t>(index - 1)); }

std::optional<int> FindMethod(std::string_view text) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc{} && end == text.data() + text.size())
        return number >= 1 && number <= kMethodCount ? std::optional<int>(number) : std::nullopt;
    for (const MethodInfo& m : Methods())
        if (SameCaption(m.caption, text)) return m.index;
    return std::nullopt;
}

}  // namespace vorbix
