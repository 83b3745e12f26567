#include "dither/methods.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "core/nearest_search.h"
#include "dither/blue_noise.h"
#include "dither/linear_diffusion.h"
#include "dither/pattern.h"
#include "dither/threshold.h"

namespace vorbix {

namespace {

constexpr std::uint8_t kNoiseAmplitude = 30;

bool SameCaption(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

using enum MethodKind;

}  // namespace

const std::array<Method, kAllMethodCount>& AllMethods() {
    // Captions as the user knows them, misspellings included.
    static const std::array<Method, kAllMethodCount> table = {{
        {1, "Atkinson", ErrorDiffusion, &kAtkinsonKernel, nullptr, nullptr, 0, false},
        {2, "Floyd", ErrorDiffusion, &kFloydKernel, nullptr, nullptr, 0, false},
        {3, "Treshold", Threshold, nullptr, nullptr, nullptr, 0, false},
        {4, "Treshold+Noise", NoisyThreshold, nullptr, nullptr, nullptr, kNoiseAmplitude, false},
        {5, "Halftone 2x2", Cells, nullptr, &kHalftone2Cells},
        {6, "Halftone 3x3", Cells, nullptr, &kHalftone3Cells},
        {7, "Bayer 2x2", Phases, nullptr, nullptr, &kBayer2Phases},
        {8, "Bayer 4x4", Phases, nullptr, nullptr, &kBayer4Phases},
        {9, "Bayer 8x8", Phases, nullptr, nullptr, &kBayer8Phases},
        {10, "News 4x4", Cells, nullptr, &kNews4Cells},
        {11, "Sierra", ErrorDiffusion, &kSierraKernel, nullptr, nullptr, 0, false},
        {12, "Burkles", ErrorDiffusion, &kBurkesKernel, nullptr, nullptr, 0, false},
        {13, "Stucky", ErrorDiffusion, &kStuckiKernel, nullptr, nullptr, 0, false},
        {14, "Jarvis", ErrorDiffusion, &kJarvisKernel, nullptr, nullptr, 0, false},
        {15, "Sierra Lite", ErrorDiffusion, &kSierraLiteKernel, nullptr, nullptr, 0, false},
        {16, "Sierra2 Row", ErrorDiffusion, &kSierra2RowKernel, nullptr, nullptr, 0, false},
        {17, "Pattern TVC", Pattern},
        // They make palette colours only, so nothing needs snapping.
        {18, "Floyd Linear", LinearDiffusion, &kFloydKernel, nullptr, nullptr, 0, false},
        {19, "Floyd Lin. Serp.", LinearDiffusion, &kFloydKernel, nullptr, nullptr, 0, false, true},
        {20, "Stucki Linear", LinearDiffusion, &kStuckiKernel, nullptr, nullptr, 0, false},
        {21, "Stucki Lin. Serp.", LinearDiffusion, &kStuckiKernel, nullptr, nullptr, 0, false, true},
        {22, "Blue Noise", BlueNoise, nullptr, nullptr, nullptr, 0, false},
        {23, "Knoll Pattern", KnollPattern, nullptr, nullptr, nullptr, 0, false, false, &kKnollPlan},
        {24, "Knoll OKLab", KnollPattern, nullptr, nullptr, nullptr, 0, false, false, &kOkLabPlan},
    }};
    return table;
}

const Method& MethodNumbered(int number) { return AllMethods().at(static_cast<std::size_t>(number - 1)); }

std::optional<int> FindMethod(std::string_view text) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc{} && end == text.data() + text.size())
        return IsMethodNumber(number) ? std::optional<int>(number) : std::nullopt;
    for (const Method& m : AllMethods())
        if (SameCaption(m.caption, text)) return m.number;
    return std::nullopt;
}

void RunMethod(const Method& method, Picture& surface, const Palette& palette, const MixTable& mixes,
               RandomSequence& random) {
    switch (method.kind) {
        case ErrorDiffusion: DitherDiffusion(surface, *SharedSearch(palette), *method.kernel); break;
        case Cells: ApplyCells(surface, *method.cells); break;
        case Phases: ApplyPhases(surface, *method.phases); break;
        case Threshold: DitherThreshold(surface, *SharedSearch(palette)); break;
        case NoisyThreshold: DitherThresholdNoise(surface, method.noiseAmplitude, *SharedSearch(palette), random); break;
        case Pattern: DitherPatternTvc(surface, palette, mixes); break;
        case LinearDiffusion: DiffuseInLinearLight(surface, palette, *method.kernel, method.serpentine); break;
        case BlueNoise: DitherBlueNoise(surface, palette); break;
        case KnollPattern: DitherKnollPattern(surface, palette, *method.plan); break;
    }
}

}  // namespace vorbix
