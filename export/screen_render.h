#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/palette.h"
#include "core/picture.h"
#include "export/screen_file.h"

namespace vorbix {

// The colour the machine shows for a colour byte 0I0G0R0B: colour number 8I + 4G + 2R + B of
// its 16 colours, where intensity alone shows black.
PaletteEntry ShownColour(std::uint8_t colourByte);

// "(red, green, blue)", the way messages name a colour.
std::string RgbText(const PaletteEntry& colour);

// The video memory as the TVC's video hardware shows it: 240 rows of 64 bytes, at the mode's
// resolution (128, 256 or 512 pixels a row). The palette registers serve the 2- and 4-colour
// modes; the 16-colour mode reads its colours from the bytes themselves.
Picture RenderScreen(TvcMode mode, const ScreenImage& image, const ColourBytes& registers);

// A screen file as read back: the image and what the machine needs to show it.
struct ScreenFile {
    TvcMode mode = TvcMode::Graphics16;
    ScreenImage image{};
    ColourBytes registers{};
};

// The file as the machine shows it, enlarged to 512 x 480 as the preview shows a conversion.
Picture RenderScreenLikeThePreview(const ScreenFile& file);

// The bytes of a headed screen file ("TIM", mode byte, colour bytes, image); a message saying
// what is wrong otherwise.
std::variant<ScreenFile, std::string> ParseTimBytes(const std::vector<std::uint8_t>& bytes);

// The bytes of a regular file no larger than a headed screen file; a message naming the path
// when it cannot be read or is larger.
std::variant<std::vector<std::uint8_t>, std::string> ReadScreenFileBytes(const std::string& path);

// Reads a headed screen file back and compares what the machine shows with the work surface it
// was made from. Silent (nothing) when they agree; otherwise which colours the machine shows
// differently, on how many pixels, and the palette colours it cannot show.
std::optional<std::string> CheckShownScreen(const std::string& timPath, TvcMode mode, const Picture& surface,
                                            const Palette& palette);

}  // namespace vorbix
