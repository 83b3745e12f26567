#include "dither/methods.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "dither/pattern.h"
#include "dither/threshold.h"

namespace vorbix {

namespace {

constexpr std::uint8_t kNoiseAmplitude = 30;

void RunThreshold(Picture& d, const Picture& s, DitherState& state) { DitherThreshold(d, s, state.paletteColors); }
void RunThresholdNoise(Picture& d, const Picture& s, DitherState& state) {
    const std::uint8_t amplitude = kNoiseAmplitude;
    DitherThresholdNoise(d, s, amplitude, state.paletteColors, state.random);
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
        {1, "Atkinson", nullptr},
        {2, "Floyd", nullptr},
        {3, "Treshold", RunThreshold},
        {4, "Treshold+Noise", RunThresholdNoise},
        {5, "Halftone 2x2", nullptr},
        {6, "Halftone 3x3", nullptr},
        {7, "Bayer 2x2", nullptr},
        {8, "Bayer 4x4", nullptr},
        {9, "Bayer 8x8", nullptr},
        {10, "News 4x4", nullptr},
        {11, "Sierra", nullptr},
        {12, "Burkles", nullptr},
        {13, "Stucky", nullptr},
        {14, "Jarvis", nullptr},
        {15, "Sierra Lite", nullptr},
        {16, "Sierra2 Row", nullptr},
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
