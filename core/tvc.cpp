#include "core/tvc.h"

#include <algorithm>
#include <cstdio>

namespace vorbix {

std::optional<TvcMode> ModeWithNumber(int number) {
    for (const ModeInfo& info : kModes)
        if (info.number == number) return info.mode;
    return std::nullopt;
}

std::span<const ColourValue> DefaultSwatches(TvcMode mode) {
    switch (mode) {
        case TvcMode::Graphics2: return kDefaultSwatches2;
        case TvcMode::Graphics4: return kDefaultSwatches4;
        case TvcMode::Graphics16: break;
    }
    return {};
}

namespace {

// A 16-colour byte holds its right pixel in bits 6, 4, 2, 0 and its left pixel one place up.
constexpr std::uint8_t kRightPixelBits = 0x55;

}  // namespace

// Graphics 4 keeps a pixel's low bit in the high nibble and its high bit in the low nibble.
std::uint8_t PackPixel(TvcMode mode, int place, std::uint8_t value) {
    switch (mode) {
        case TvcMode::Graphics16: return static_cast<std::uint8_t>((value & kRightPixelBits) << (place == 0 ? 1 : 0));
        case TvcMode::Graphics4: return static_cast<std::uint8_t>(((value & 1) << (7 - place)) | (((value >> 1) & 1) << (3 - place)));
        case TvcMode::Graphics2: return static_cast<std::uint8_t>((value & 1) << (7 - place));
    }
    return 0;
}

std::uint8_t UnpackPixel(TvcMode mode, int place, std::uint8_t byte) {
    switch (mode) {
        case TvcMode::Graphics16: return static_cast<std::uint8_t>((place == 0 ? byte >> 1 : byte) & kRightPixelBits);
        case TvcMode::Graphics4: return static_cast<std::uint8_t>(((byte >> (7 - place)) & 1) | (((byte >> (3 - place)) & 1) << 1));
        case TvcMode::Graphics2: return static_cast<std::uint8_t>((byte >> (7 - place)) & 1);
    }
    return 0;
}

Palette TvcColours() {
    Palette palette;
    for (int number = 0; number < 16; ++number) {
        const int level = (number & 8) ? kFullLevel : kNormalLevel;
        const int blue = (number & 1) ? level : 0;
        const int red = (number & 2) ? level : 0;
        const int green = (number & 4) ? level : 0;
        palette.push_back(number == 8 ? EntryFromRgb(0, 0, 0) : EntryFromRgb(red, green, blue));
    }
    return palette;
}

std::uint8_t TvcColourByte(const PaletteEntry& e) {
    std::uint8_t byte = 0;
    if (e.red == kFullLevel || e.green == kFullLevel || e.blue == kFullLevel) byte |= 0x40;
    if (e.green != 0) byte |= 0x10;
    if (e.red != 0) byte |= 0x04;
    if (e.blue != 0) byte |= 0x01;
    return byte;
}

PaletteEntry ShownColour(std::uint8_t colourByte) {
    static const Palette kShown = TvcColours();
    const int number = (colourByte & 0x01) | ((colourByte >> 1) & 0x02) | ((colourByte >> 2) & 0x04) |
                       ((colourByte >> 3) & 0x08);
    return kShown[number];
}

ColourBytes ColourBytesOf(TvcMode mode, const Palette& palette) {
    ColourBytes bytes{};
    for (int i = 0; i < ModeOf(mode).swatchCount && i < static_cast<int>(palette.size()); ++i)
        bytes[i] = TvcColourByte(palette[i]);
    return bytes;
}

std::optional<std::string> UnshowableColours(TvcMode mode, const Palette& palette) {
    const int count = std::min(ModeOf(mode).swatchCount, static_cast<int>(palette.size()));
    std::string message;
    for (int i = 0; i < count; ++i) {
        const PaletteEntry& colour = palette[i];
        const PaletteEntry shown = ShownColour(TvcColourByte(colour));
        if (colour.red == shown.red && colour.green == shown.green && colour.blue == shown.blue) continue;
        if (!message.empty()) message += "; ";
        message += "palette colour " + std::to_string(i) + " " + RgbText(colour) + " is not a TVC colour, the machine shows " +
                   RgbText(shown);
    }
    if (message.empty()) return std::nullopt;
    return message;
}

std::string HexText(ColourValue c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRed(c), GetGreen(c), GetBlue(c));
    return text;
}

std::string RgbText(const PaletteEntry& e) {
    return "(" + std::to_string(e.red) + ", " + std::to_string(e.green) + ", " + std::to_string(e.blue) + ")";
}

}  // namespace vorbix
