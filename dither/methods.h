#pragma once

// The colour-reduction methods: each is a row of one table (caption, kind, data), the kernels,
// matrices and noise amplitudes are data, and the walks over the pixels are code in
// error_diffusion, ordered, threshold and pattern. Uses core/ only.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/palette.h"
#include "core/picture.h"
#include "dither/error_diffusion.h"
#include "dither/knoll_pattern.h"
#include "dither/mix_table.h"
#include "dither/ordered.h"
#include "dither/random_sequence.h"

namespace vorbix {

enum class MethodKind {
    ErrorDiffusion,  // kernel: each pixel's error spread to its neighbours
    Cells,           // cells: ordered threshold cells per channel
    Phases,          // phases: Bayer matrices per channel
    Threshold,       // the nearest palette colour
    NoisyThreshold,  // the nearest palette colour after random noise of noiseAmplitude
    Pattern,         // the nearest two-colour mix as a checkerboard
    LinearDiffusion, // kernel: error spread and colours matched in linear light
    BlueNoise,       // the nearest two-colour mix in linear light against a blue-noise mask
    KnollPattern,    // plan: a plan of palette colours per colour, picked by a 4 x 4 Bayer matrix
};

struct Method {
    int number;  // 1..kAllMethodCount: the method buttons and the command line count them so
    std::string_view caption;
    MethodKind kind;
    const DiffusionKernel* kernel = nullptr;
    const CellScreen* cells = nullptr;
    const PhaseScreen* phases = nullptr;
    std::uint8_t noiseAmplitude = 0;
    // In Graphics 2 and 4 the result is snapped to the swatches afterwards: the ordered methods
    // make colours of their own and "Pattern TVC" matches the mixes. Error diffusion and the
    // thresholds end on swatch colours already, where a snap would change nothing.
    bool snapped = true;
    bool serpentine = false;  // for LinearDiffusion: odd rows right to left
    const PlanRule* plan = nullptr;
};

// The seventeen methods the program started with come first (the window frames them apart);
// the methods that mix in linear light are numbered after them.
constexpr int kMethodCount = 17;
constexpr int kAllMethodCount = 24;
constexpr int kPatternTvc = 17;

// Every method, 1..kAllMethodCount, in number order.
const std::array<Method, kAllMethodCount>& AllMethods();
// The method with that number, 1..kAllMethodCount.
const Method& MethodNumbered(int number);
constexpr bool IsMethodNumber(int number) { return number >= 1 && number <= kAllMethodCount; }
// A number 1..kAllMethodCount or a caption, case-insensitive.
std::optional<int> FindMethod(std::string_view numberOrCaption);

// Runs the method on the surface in place. The palette is what it matches against (for
// "Pattern TVC" the 120 mix colours); the mixes serve "Pattern TVC", the random sequence the
// noisy threshold.
void RunMethod(const Method& method, Picture& surface, const Palette& palette, const MixTable& mixes,
               RandomSequence& random);

}  // namespace vorbix
