#include "dither/error_diffusion.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <vector>

namespace vorbix {

namespace {

constexpr DiffusionTap kAtkinsonTaps[] = {{1, 0, 1}, {2, 0, 1}, {-1, 1, 1}, {0, 1, 1}, {1, 1, 1}, {0, 2, 1}};
constexpr DiffusionTap kFloydTaps[] = {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}};
constexpr DiffusionTap kSierraTaps[] = {{1, 0, 5},  {2, 0, 3},  {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5},
                                        {1, 1, 4},  {2, 1, 2},  {-1, 2, 2}, {0, 2, 3},  {1, 2, 2}};
constexpr DiffusionTap kBurkesTaps[] = {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4},
                                         {0, 1, 8}, {1, 1, 4}, {2, 1, 2}};
constexpr DiffusionTap kStuckiTaps[] = {{1, 0, 8},  {2, 0, 4},  {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4},
                                        {2, 1, 2},  {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4},  {1, 2, 2}, {2, 2, 1}};
constexpr DiffusionTap kJarvisTaps[] = {{1, 0, 7},  {2, 0, 5},  {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5},
                                        {2, 1, 3},  {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5},  {1, 2, 3}, {2, 2, 1}};
constexpr DiffusionTap kSierraLiteTaps[] = {{1, 0, 2}, {-1, 1, 1}, {0, 1, 1}};
constexpr DiffusionTap kSierra2RowTaps[] = {{1, 0, 4}, {2, 0, 3}, {-2, 1, 1}, {-1, 1, 2},
                                            {0, 1, 3}, {1, 1, 2}, {2, 1, 1}};

}  // namespace

const DiffusionKernel kAtkinsonKernel{8, 2, MarginFill::Black, kAtkinsonTaps};
const DiffusionKernel kFloydKernel{16, 2, MarginFill::Filled, kFloydTaps};
const DiffusionKernel kSierraKernel{32, 4, MarginFill::Filled, kSierraTaps};
const DiffusionKernel kBurkesKernel{32, 2, MarginFill::Filled, kBurkesTaps};
const DiffusionKernel kStuckiKernel{42, 4, MarginFill::Filled, kStuckiTaps};
const DiffusionKernel kJarvisKernel{48, 4, MarginFill::Filled, kJarvisTaps};
const DiffusionKernel kSierraLiteKernel{4, 2, MarginFill::Filled, kSierraLiteTaps};
const DiffusionKernel kSierra2RowKernel{16, 2, MarginFill::Filled, kSierra2RowTaps};

namespace {

// A pixel's blue, green and red (and an unused fourth lane) as 16-bit lanes, so that a share is
// added to all three channels and clamped in a few vector operations. The lanes hold the same
// values the bytes would: every addition is clamped back to 0..255 at once.
using Lanes = std::int16_t __attribute__((vector_size(8)));
// Two neighbouring pixels' lanes, which two taps update together.
using PairLanes = std::int16_t __attribute__((vector_size(16)));

// One spare pixel after the buffer's, for a pair whose second tap weighs nothing.
std::vector<Lanes> ToLanes(const PixelBuffer& buffer) {
    std::vector<Lanes> lanes(buffer.PixelCount() + 1);
    const std::uint8_t* p = buffer.bytes.data();
    for (std::size_t i = 0; i < buffer.PixelCount(); ++i, p += 3) lanes[i] = Lanes{p[0], p[1], p[2], 0};
    return lanes;
}

void FromLanes(const std::vector<Lanes>& lanes, PixelBuffer& buffer) {
    const Lanes* pixel = lanes.data();
    for (std::size_t i = 0; i < buffer.bytes.size(); i += 3, ++pixel)
        for (int c = 0; c < 3; ++c) buffer.bytes[i + c] = static_cast<std::uint8_t>((*pixel)[c]);
}

// Two taps at neighbouring pixels, step and step + 1 from the matched one. A tap without a
// neighbouring tap is paired with a weight of 0 there: adding nothing and clamping a value
// already in 0..255 leaves it as it was.
struct TapPair {
    std::ptrdiff_t step;
    PairLanes weights;
};

struct SplitKernel {
    std::int16_t nextWeight = 0;  // the tap one pixel on; 0 when the kernel has none
    std::array<TapPair, 12> pairs{};
    std::size_t pairCount = 0;
};

SplitKernel SplitTaps(const DiffusionKernel& kernel, int bufferWidth) {
    std::vector<std::pair<std::ptrdiff_t, std::int16_t>> others;
    SplitKernel split;
    for (const DiffusionTap& tap : kernel.taps) {
        const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(tap.dy) * bufferWidth + tap.dx;
        if (step == 1)
            split.nextWeight = static_cast<std::int16_t>(tap.weight);
        else
            others.emplace_back(step, static_cast<std::int16_t>(tap.weight));
    }
    std::sort(others.begin(), others.end());
    for (std::size_t t = 0; t < others.size(); ++t) {
        const auto [step, weight] = others[t];
        const bool paired = t + 1 < others.size() && others[t + 1].first == step + 1;
        const std::int16_t second = paired ? others[++t].second : 0;
        split.pairs[split.pairCount++] = {step, PairLanes{weight, weight, weight, 0, second, second, second, 0}};
    }
    return split;
}

// Pairs is the kernel's pair count when known at compile time (0: read it from the split), so
// that the loop over the pairs unrolls.
template <std::size_t Pairs>
void DiffuseOnLanes(PixelBuffer& buffer, const DiffusionKernel& kernel, const SplitKernel& split,
                    const NearestColourSearch& palette) {
    // The kernels reach at most two rows and two columns on, which a margin of 4 always holds.
    assert(buffer.margin == 4);
    // Divided before weighting, truncating toward zero: an error below the divisor goes nowhere.
    // A table of the 511 possible errors spares a division per channel; the next pixel's share
    // comes weighted, which spares a multiplication on the way to its match.
    std::array<std::int16_t, 511> shareOf;
    std::array<std::int16_t, 511> nextShareOf;
    for (int err = -255; err <= 255; ++err) {
        shareOf[err + 255] = static_cast<std::int16_t>(err / kernel.divisor);
        nextShareOf[err + 255] = static_cast<std::int16_t>(shareOf[err + 255] * split.nextWeight);
    }

    std::vector<Lanes> lanes = ToLanes(buffer);
    Lanes* pixel = lanes.data() + static_cast<std::size_t>(kernel.firstRow) * buffer.bufferWidth;
    Lanes* const end = lanes.data() + static_cast<std::size_t>(buffer.rows - kernel.firstRow) * buffer.bufferWidth;
    const PairLanes black{};
    const PairLanes white{255, 255, 255, 0, 255, 255, 255, 0};
    const std::size_t pairs = Pairs > 0 ? Pairs : split.pairCount;
    auto add = [](int value, int share) { return std::clamp(value + share, 0, 255); };

    // The next pixel is the next one matched: it stays in registers rather than going through
    // memory, which shortens the chain from one pixel's match to the next.
    int blue = (*pixel)[0], green = (*pixel)[1], red = (*pixel)[2];
    for (; pixel != end; ++pixel) {
        const PaletteEntry match = palette.Nearest(red, green, blue);
        const int errorBlue = blue - match.blue + 255, errorGreen = green - match.green + 255,
                  errorRed = red - match.red + 255;
        *pixel = Lanes{match.blue, match.green, match.red, 0};
        const Lanes next = pixel[1];
        blue = add(next[0], nextShareOf[errorBlue]);
        green = add(next[1], nextShareOf[errorGreen]);
        red = add(next[2], nextShareOf[errorRed]);
        const int shareBlue = shareOf[errorBlue], shareGreen = shareOf[errorGreen], shareRed = shareOf[errorRed];
        if ((shareBlue | shareGreen | shareRed) == 0) continue;
        const auto b = static_cast<std::int16_t>(shareBlue), g = static_cast<std::int16_t>(shareGreen),
                   r = static_cast<std::int16_t>(shareRed);
        const PairLanes shares{b, g, r, 0, b, g, r, 0};
        for (std::size_t t = 0; t < pairs; ++t) {
            Lanes* const target = pixel + split.pairs[t].step;
            PairLanes sum;
            __builtin_memcpy(&sum, target, sizeof sum);
            // Clamped at every addition, so a later opposite share cannot undo a clipped one.
            sum += shares * split.pairs[t].weights;
            sum = sum < black ? black : sum;
            sum = sum > white ? white : sum;
            __builtin_memcpy(target, &sum, sizeof sum);
        }
    }
    *end = Lanes{static_cast<std::int16_t>(blue), static_cast<std::int16_t>(green), static_cast<std::int16_t>(red), 0};
    FromLanes(lanes, buffer);
}

}  // namespace

void DiffuseErrors(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColourSearch& palette) {
    const SplitKernel split = SplitTaps(kernel, buffer.bufferWidth);
    switch (split.pairCount) {
        case 1: DiffuseOnLanes<1>(buffer, kernel, split, palette); break;
        case 2: DiffuseOnLanes<2>(buffer, kernel, split, palette); break;
        case 3: DiffuseOnLanes<3>(buffer, kernel, split, palette); break;
        case 4: DiffuseOnLanes<4>(buffer, kernel, split, palette); break;
        case 7: DiffuseOnLanes<7>(buffer, kernel, split, palette); break;
        default: DiffuseOnLanes<0>(buffer, kernel, split, palette); break;
    }
}

void DiffuseErrorsPlain(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColourSearch& palette) {
    const std::size_t first = static_cast<std::size_t>(kernel.firstRow) * buffer.bufferWidth;
    const std::size_t end = static_cast<std::size_t>(buffer.rows - kernel.firstRow) * buffer.bufferWidth;
    for (std::size_t i = first; i < end; ++i) {
        std::uint8_t* p = buffer.bytes.data() + 3 * i;
        const PaletteEntry match = palette.Nearest(p[2], p[1], p[0]);
        const int matched[3] = {match.blue, match.green, match.red};
        for (int c = 0; c < 3; ++c) {
            const int share = (p[c] - matched[c]) / kernel.divisor;
            p[c] = static_cast<std::uint8_t>(matched[c]);
            for (const DiffusionTap& tap : kernel.taps) {
                const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(i) + tap.dy * buffer.bufferWidth + tap.dx;
                std::uint8_t& target = buffer.bytes[3 * at + c];
                target = static_cast<std::uint8_t>(std::clamp(target + share * tap.weight, 0, 255));
            }
        }
    }
}

void DitherDiffusion(Picture& surface, const NearestColourSearch& palette, const DiffusionKernel& kernel) {
    PixelBuffer buffer = ReadFramed(surface, 4, kernel.margin);
    DiffuseErrors(buffer, kernel, palette);
    WriteFramed(surface, buffer);
}

}  // namespace vorbix
