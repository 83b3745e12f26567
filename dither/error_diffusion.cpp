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

namespace {

// A pixel's blue, green and red (and an unused fourth lane) as 16-bit lanes, so that a share is
// added to all three channels and clamped in a few vector operations. The lanes hold the same
// values the bytes would: every addition is clamped back to 0..255 at once.
using Lanes = std::int16_t __attribute__((vector_size(8)));

std::vector<Lanes> ToLanes(const PixelBuffer& buffer) {
    std::vector<Lanes> lanes;
    lanes.reserve(buffer.PixelCount());
    for (std::size_t i = 0; i < buffer.bytes.size(); i += 3)
        lanes.push_back(Lanes{buffer.bytes[i], buffer.bytes[i + 1], buffer.bytes[i + 2], 0});
    return lanes;
}

void FromLanes(const std::vector<Lanes>& lanes, PixelBuffer& buffer) {
    std::uint8_t* p = buffer.bytes.data();
    for (const Lanes& pixel : lanes) {
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(pixel[c]);
        p += 3;
    }
}

}  // namespace

void DiffuseErrors(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColorSearch& palette) {
    // Each tap's pixel offset and weight, in update order. Every (tap, channel) pair is a different
    // byte, so spreading a pixel's three channels together changes no result.
    constexpr std::size_t kMaxTaps = 12;
    assert(kernel.taps.size() <= kMaxTaps);
    std::array<std::ptrdiff_t, kMaxTaps> steps{};
    std::array<std::int16_t, kMaxTaps> weights{};
    const std::size_t taps = kernel.taps.size();
    for (std::size_t t = 0; t < taps; ++t) {
        steps[t] = static_cast<std::ptrdiff_t>(kernel.taps[t].dy) * buffer.bufferWidth + kernel.taps[t].dx;
        weights[t] = static_cast<std::int16_t>(kernel.taps[t].weight);
    }

    // The kernels reach at most two rows and two columns on, which a margin of 4 always holds.
    assert(buffer.margin == 4);
    // Divided before weighting, truncating toward zero: an error below the divisor goes nowhere.
    // A table of the 511 possible errors spares a division per channel.
    std::array<std::int16_t, 511> shareOf;
    for (int err = -255; err <= 255; ++err) shareOf[err + 255] = static_cast<std::int16_t>(err / kernel.divisor);

    std::vector<Lanes> lanes = ToLanes(buffer);
    Lanes* pixel = lanes.data() + static_cast<std::size_t>(kernel.firstRow) * buffer.bufferWidth;
    Lanes* const end = lanes.data() + static_cast<std::size_t>(buffer.rows - kernel.firstRow) * buffer.bufferWidth;
    const Lanes black{0, 0, 0, 0};
    const Lanes white{255, 255, 255, 0};

    for (; pixel != end; ++pixel) {
        const Lanes old = *pixel;
        const PaletteEntry match = palette.Nearest(old[2], old[1], old[0]);
        const Lanes shares{shareOf[old[0] - match.blue + 255], shareOf[old[1] - match.green + 255],
                           shareOf[old[2] - match.red + 255], 0};
        *pixel = Lanes{match.blue, match.green, match.red, 0};
        if ((shares[0] | shares[1] | shares[2]) == 0) continue;
        for (std::size_t t = 0; t < taps; ++t) {
            // Clamped at every addition, so a later opposite share cannot undo a clipped one.
            Lanes sum = pixel[steps[t]] + shares * weights[t];
            sum = sum < black ? black : sum;
            pixel[steps[t]] = sum > white ? white : sum;
        }
    }
    FromLanes(lanes, buffer);
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
