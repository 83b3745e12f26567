#include "dither/linear_diffusion.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <vector>

#include "dither/linear_palette.h"

namespace vorbix {

namespace {

// The kernels reach two rows down and two columns either way.
constexpr int kReach = 2;
constexpr int kRows = kReach + 1;
constexpr std::size_t kMaxTaps = 12;

}  // namespace

void DiffuseInLinearLight(Picture& surface, const Palette& palette, const DiffusionKernel& kernel, bool serpentine) {
    if (palette.empty() || surface.Empty()) return;
    assert(kernel.taps.size() <= kMaxTaps);
    assert(std::all_of(kernel.taps.begin(), kernel.taps.end(),
                       [](const DiffusionTap& t) { return t.dy <= kReach && std::abs(t.dx) <= kReach; }));
    const LinearPalette light(palette);
    const std::array<float, 256>& linear = LinearLight();
    const int width = surface.Width();
    const int stride = width + 2 * kReach;
    // Rows y, y + 1 and y + 2 of received error, three floats a pixel, in a ring.
    std::vector<float> error(static_cast<std::size_t>(kRows) * stride * 3, 0.0f);
    std::array<float, kMaxTaps> shares{};
    for (std::size_t t = 0; t < kernel.taps.size(); ++t)
        shares[t] = static_cast<float>(kernel.taps[t].weight) / static_cast<float>(kernel.divisor);

    for (int y = 0; y < surface.Height(); ++y) {
        const bool leftward = serpentine && y % 2 == 1;
        const int step = leftward ? -1 : 1;
        float* rows[kRows];
        for (int dy = 0; dy < kRows; ++dy) rows[dy] = error.data() + static_cast<std::size_t>((y + dy) % kRows) * stride * 3;
        // Each tap as a step in floats from the pixel's own error.
        std::array<std::ptrdiff_t, kMaxTaps> offsets{};
        for (std::size_t t = 0; t < kernel.taps.size(); ++t)
            offsets[t] = (rows[kernel.taps[t].dy] - rows[0]) + static_cast<std::ptrdiff_t>(step * kernel.taps[t].dx) * 3;
        std::uint8_t* row = surface.Row(y);
        for (int n = 0; n < width; ++n) {
            const int x = leftward ? width - 1 - n : n;
            std::uint8_t* p = row + 3 * x;
            float* received = rows[0] + static_cast<std::size_t>(x + kReach) * 3;
            const LinearRgb wanted{std::clamp(linear[p[2]] + received[0], 0.0f, 1.0f),
                                   std::clamp(linear[p[1]] + received[1], 0.0f, 1.0f),
                                   std::clamp(linear[p[0]] + received[2], 0.0f, 1.0f)};
            const int chosen = light.Nearest(wanted);
            const LinearRgb& shown = light.Linear(chosen);
            const float missed[3] = {wanted.red - shown.red, wanted.green - shown.green, wanted.blue - shown.blue};
            for (std::size_t t = 0; t < kernel.taps.size(); ++t) {
                float* target = received + offsets[t];
                for (int c = 0; c < 3; ++c) target[c] += missed[c] * shares[t];
            }
            const PaletteEntry& e = light.Entry(chosen);
            p[0] = e.blue;
            p[1] = e.green;
            p[2] = e.red;
        }
        std::fill_n(rows[0], static_cast<std::size_t>(stride) * 3, 0.0f);
    }
}

void DiffuseInLinearLightPlain(Picture& surface, const Palette& palette, const DiffusionKernel& kernel, bool serpentine) {
    if (palette.empty() || surface.Empty()) return;
    const LinearPalette light(palette);
    const int width = surface.Width(), height = surface.Height();
    std::vector<LinearRgb> received(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const bool leftward = serpentine && y % 2 == 1;
        for (int n = 0; n < width; ++n) {
            const int x = leftward ? width - 1 - n : n;
            const ColourValue pixel = surface.Pixel(x, y);
            const LinearRgb& got = received[static_cast<std::size_t>(y) * width + x];
            const LinearRgb own = LinearOf(EntryFromColour(pixel));
            const LinearRgb wanted{std::clamp(own.red + got.red, 0.0f, 1.0f), std::clamp(own.green + got.green, 0.0f, 1.0f),
                                   std::clamp(own.blue + got.blue, 0.0f, 1.0f)};
            const int chosen = light.Nearest(wanted);
            const LinearRgb& shown = light.Linear(chosen);
            for (const DiffusionTap& tap : kernel.taps) {
                const int tx = x + (leftward ? -tap.dx : tap.dx), ty = y + tap.dy;
                if (tx < 0 || tx >= width || ty >= height) continue;
                const float share = static_cast<float>(tap.weight) / static_cast<float>(kernel.divisor);
                LinearRgb& target = received[static_cast<std::size_t>(ty) * width + tx];
                target.red += (wanted.red - shown.red) * share;
                target.green += (wanted.green - shown.green) * share;
                target.blue += (wanted.blue - shown.blue) * share;
            }
            surface.SetPixel(x, y, ColourOfEntry(light.Entry(chosen)));
        }
    }
}

}  // namespace vorbix
