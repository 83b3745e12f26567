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

// Fixed is the kernel's tap count when known at compile time (0: read it from the kernel), so
// that the loop over the taps unrolls.
template <std::size_t Fixed>
void DiffuseOnLanes(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColorSearch& palette) {
    // Each tap's pixel offset and weight, in update order. Every (tap, channel) pair is a different
    // byte, so spreading a pixel's three channels together changes no result.
    constexpr std::size_t kMaxTaps = 12;
    assert(kernel.taps.size() <= kMaxTaps);
    std::array<std::ptrdiff_t, kMaxTaps> steps{};
    std::array<std::int16_t, kMaxTaps> weights{};
    const std::size_t taps = Fixed > 0 ? Fixed : kernel.taps.size();
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

}  // namespace

void DiffuseErrors(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColorSearch& palette) {
    switch (kernel.taps.size()) {
        case 3: DiffuseOnLanes<3>(buffer, kernel, palette); break;
        case 4: DiffuseOnLanes<4>(buffer, kernel, palette); break;
        case 6: DiffuseOnLanes<6>(buffer, kernel, palette); break;
        case 7: DiffuseOnLanes<7>(buffer, kernel, palette); break;
        case 10: DiffuseOnLanes<10>(buffer, kernel, palette); break;
        case 12: DiffuseOnLanes<12>(buffer, kernel, palette); break;
        default: DiffuseOnLanes<0>(buffer, kernel, palette); break;
    }
}

void DiffuseErrorsPlain(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColorSearch& palette) {
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

void DitherDiffusion(Picture& surface, const NearestColorSearch& palette, const DiffusionKernel& kernel) {
    PixelBuffer buffer = ReadFramed(surface, 4, kernel.margin);
    DiffuseErrors(buffer, kernel, palette);
    WriteFramed(surface, buffer);
}

}  // namespace vorbix
