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
constexpr DiffusionTap kBurklesTaps[] = {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4},
                                         {0, 1, 8}, {1, 1, 4}, {2, 1, 2}};
constexpr DiffusionTap kStuckyTaps[] = {{1, 0, 8},  {2, 0, 4},  {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4},
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
const DiffusionKernel kBurklesKernel{32, 2, MarginFill::Filled, kBurklesTaps};
const DiffusionKernel kStuckyKernel{42, 4, MarginFill::Filled, kStuckyTaps};
const DiffusionKernel kJarvisKernel{48, 4, MarginFill::Filled, kJarvisTaps};
const DiffusionKernel kSierraLiteKernel{4, 2, MarginFill::Filled, kSierraLiteTaps};
const DiffusionKernel kSierra2RowKernel{16, 2, MarginFill::Filled, kSierra2RowTaps};

void DiffuseErrors(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColorSearch& palette) {
    // Each tap's byte offset and weight, in update order. Every (tap, channel) pair is a different
    // byte, so spreading a pixel's three channels tap by tap changes no result.
    constexpr std::size_t kMaxTaps = 12;
    assert(kernel.taps.size() <= kMaxTaps);
    std::array<std::ptrdiff_t, kMaxTaps> byteSteps{};
    std::array<int, kMaxTaps> weights{};
    const std::size_t taps = kernel.taps.size();
    for (std::size_t t = 0; t < taps; ++t) {
        byteSteps[t] = 3 * (static_cast<std::ptrdiff_t>(kernel.taps[t].dy) * buffer.bufferWidth + kernel.taps[t].dx);
        weights[t] = kernel.taps[t].weight;
    }

    // The kernels reach at most two rows and two columns on, which a margin of 4 always holds.
    assert(buffer.margin == 4);
    // Divided before weighting, truncating toward zero: an error below the divisor goes nowhere.
    // A table of the 511 possible errors spares a division per channel.
    std::array<int, 511> shareOf;
    for (int err = -255; err <= 255; ++err) shareOf[err + 255] = err / kernel.divisor;

    std::uint8_t* pixel = buffer.At(0, kernel.firstRow);
    std::uint8_t* const end = buffer.At(0, buffer.rows - kernel.firstRow);

    for (; pixel != end; pixel += 3) {
        const PaletteEntry match = palette.Nearest(pixel[2], pixel[1], pixel[0]);
        const int shares[3] = {shareOf[pixel[0] - match.blue + 255], shareOf[pixel[1] - match.green + 255],
                               shareOf[pixel[2] - match.red + 255]};
        pixel[0] = match.blue;
        pixel[1] = match.green;
        pixel[2] = match.red;
        if ((shares[0] | shares[1] | shares[2]) == 0) continue;
        for (std::size_t t = 0; t < taps; ++t) {
            std::uint8_t* neighbour = pixel + byteSteps[t];
            for (int c = 0; c < 3; ++c)
                // Clamped at every addition, so a later opposite share cannot undo a clipped one.
                neighbour[c] = static_cast<std::uint8_t>(std::clamp(neighbour[c] + shares[c] * weights[t], 0, 255));
        }
    }
}

void DitherDiffusion(Picture& destination, const Picture& source, const NearestColorSearch& palette,
                     const DiffusionKernel& kernel) {
    PixelBuffer buffer = ReadFramed(source, 4, kernel.margin);
    DiffuseErrors(buffer, kernel, palette);
    WriteFramed(destination, buffer);
}

void DitherAtkinson(Picture& d, const Picture& s, const NearestColorSearch& p) { DitherDiffusion(d, s, p, kAtkinsonKernel); }
void DitherFloyd(Picture& d, const Picture& s, const NearestColorSearch& p) { DitherDiffusion(d, s, p, kFloydKernel); }
void DitherSierra(Picture& d, const Picture& s, const NearestColorSearch& p) { DitherDiffusion(d, s, p, kSierraKernel); }
void DitherBurkles(Picture& d, const Picture& s, const NearestColorSearch& p) { DitherDiffusion(d, s, p, kBurklesKernel); }
void DitherStucky(Picture& d, const Picture& s, const NearestColorSearch& p) { DitherDiffusion(d, s, p, kStuckyKernel); }
void DitherJarvis(Picture& d, const Picture& s, const NearestColorSearch& p) { DitherDiffusion(d, s, p, kJarvisKernel); }
void DitherSierraLite(Picture& d, const Picture& s, const NearestColorSearch& p) { DitherDiffusion(d, s, p, kSierraLiteKernel); }
void DitherSierra2Row(Picture& d, const Picture& s, const NearestColorSearch& p) { DitherDiffusion(d, s, p, kSierra2RowKernel); }

}  // namespace vorbix
