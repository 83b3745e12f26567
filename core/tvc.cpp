#include "core/tvc.h"

#include <algorithm>
#include <cstdio>

namespace vorbix {

std::optional<TvcMode> ModeWithNumber(int number) {
    for (const ModeInfo& info : kModes)
        if (info.number == number) return info.mode;
    return std::nullopt;
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

std::uint8_t TvcColorByte(const PaletteEntry& e) {
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
        bytes[i] = TvcColorByte(palette[i]);
    return bytes;
}

std::optional<std::string> UnshowableColours(TvcMode mode, const Palette& palette) {
    const int count = std::min(ModeOf(mode).swatchCount, static_cast<int>(palette.size()));
    std::string message;
    for (int i = 0; i < count; ++i) {
        const PaletteEntry& colour = palette[i];
        const PaletteEntry shown = ShownColour(TvcColorByte(colour));
        if (colour.red == shown.red && colour.green == shown.green && colour.blue == shown.blue) continue;
        if (!message.empty()) message += "; ";
        message += "palette colour " + std::to_string(i) + " " + RgbText(colour) + " is not a TVC colour, the machine shows " +
                   RgbText(shown);
    }
    if (message.empty()) return std::nullopt;
    return message;
}

std::string HexText(ColorValue c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRed(c), GetGreen(c), GetBlue(c));
    return text;
}

std::string RgbText(const PaletteEntry& e) {
    return "(" + std::to_string(e.red) + ", " + std::to_string(e.green) + ", " + std::to_string(e.blue) + ")";
}

}  // namespace vorbix
