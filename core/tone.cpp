#include "core/tone.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "core/rounding.h"

namespace vorbix {

namespace {

using ChannelTable = std::array<std::uint8_t, 256>;

std::uint8_t ClampByte(double x) { return static_cast<std::uint8_t>(x < 0 ? 0 : (x > 255 ? 255 : x)); }

float SliderFactor(int value) { return static_cast<float>(value / 50.0); }

void ApplyTable(Picture& destination, const Picture& source, const ChannelTable& table) {
    if (&destination != &source) destination = source;
    std::uint8_t* p = destination.Data();
    for (std::size_t i = 0; i < destination.ByteCount(); ++i) p[i] = table[p[i]];
}

}  // namespace

void AdjustBrightness(Picture& destination, const Picture& source, int value) {
    const double f = SliderFactor(value);
    ChannelTable table;
    for (int c = 0; c < 256; ++c) table[c] = ClampByte(RoundHalfEven(c * f));
    ApplyTable(destination, source, table);
}

void AdjustGamma(Picture& destination, const Picture& source, int value) {
    const float shifted = static_cast<float>(value) + 1;
    const double g = static_cast<float>(shifted / 50.0);
    ChannelTable table;
    for (int i = 0; i < 256; ++i) table[i] = ClampByte(RoundHalfEven(255.0 * std::pow(i / 255.0, 1.0 / g)));
    ApplyTable(destination, source, table);
}

void AdjustColour(Picture& destination, const Picture& source, int value) {
    if (&destination != &source) destination = source;
    const double s = SliderFactor(value);
    std::uint8_t* p = destination.Data();
    for (std::size_t i = 0; i < destination.ByteCount(); i += 3) {
        const double grey = RoundHalfEven((p[i] + p[i + 1] + p[i + 2]) / 3.0);
        for (int c = 0; c < 3; ++c) p[i + c] = ClampByte(RoundHalfEven((p[i + c] - grey) * s + grey));
    }
}

void AdjustContrast(Picture& destination, const Picture& source, int value) {
    const double k = SliderFactor(value);
    ChannelTable table;
    for (int c = 0; c < 256; ++c) table[c] = ClampByte(RoundHalfEven((c - 127) * k + 127));
    ApplyTable(destination, source, table);
}

}  // namespace vorbix
