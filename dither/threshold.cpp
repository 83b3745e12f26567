#include "dither/threshold.h"

#include <algorithm>
#include <cmath>

#include "core/pixel_buffer.h"
#include "core/rounding.h"

namespace vorbix {

namespace {

template <typename Match>
void MatchEveryBufferPixel(Picture& surface, Match match) {
    PixelBuffer buffer = ReadPlain(surface);
    for (std::size_t i = 0; i < buffer.bytes.size(); i += 3) {
        std::uint8_t* p = buffer.bytes.data() + i;
        const PaletteEntry e = match(p[2], p[1], p[0]);
        p[0] = e.blue;
        p[1] = e.green;
        p[2] = e.red;
    }
    WritePlain(surface, buffer);
}

int Jitter(int value, std::uint8_t amplitude, RandomSequence& random) {
    const double moved = RoundHalfEven(static_cast<double>(amplitude) * random.Next() + value - amplitude / 2.0);
    return static_cast<int>(std::clamp(moved, 0.0, 255.0));
}

}  // namespace

void DitherThreshold(Picture& surface, const NearestColourSearch& palette) {
    MatchEveryBufferPixel(surface,
                          [&](int r, int g, int b) { return palette.Nearest(r, g, b); });
}

PaletteEntry NearestColourNoisy(const NearestColourSearch& palette, int red, int green, int blue, std::uint8_t amplitude,
                               RandomSequence& random) {
    const int r = Jitter(red, amplitude, random);
    const int g = Jitter(green, amplitude, random);
    const int b = Jitter(blue, amplitude, random);
    return palette.Nearest(r, g, b);
}

void DitherThresholdNoise(Picture& surface, std::uint8_t amplitude, const NearestColourSearch& palette,
                          RandomSequence& random) {
    MatchEveryBufferPixel(surface, [&](int r, int g, int b) {
        return NearestColourNoisy(palette, r, g, b, amplitude, random);
    });
}

}  // namespace vorbix
