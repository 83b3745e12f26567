#pragma once

// The machine in one place: the TVC's three graphics modes, its sixteen colours and their
// levels, the video memory's size, and the size of the pictures the windows show. Every other
// folder reads these facts from here. Uses only the standard library and core/palette.h.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/palette.h"
#include "core/picture.h"

namespace vorbix {

// In the order of the mode buttons.
enum class TvcMode { Graphics2 = 0, Graphics4 = 1, Graphics16 = 2 };

struct ModeInfo {
    TvcMode mode;
    std::string_view caption;   // as the mode button shows it
    int number;                 // colours on screen: the command line's --mode and the JSON "mode"
    int width;                  // the work surface, at the machine's resolution
    int height;
    int pixelsPerByte;          // of the video memory
    std::uint8_t hardwareMode;  // the mode bits of port 06h, and the ".tim" header's mode byte
    int swatchCount;            // colours the user chooses (palette registers); 0: the fixed 16
};

inline constexpr std::array<ModeInfo, 3> kModes{{
    {TvcMode::Graphics2, "Graphics 2", 2, 512, 240, 8, 0, 2},
    {TvcMode::Graphics4, "Graphics 4", 4, 256, 240, 4, 1, 4},
    {TvcMode::Graphics16, "Graphics 16", 16, 128, 240, 2, 2, 0},
}};

constexpr const ModeInfo& ModeOf(TvcMode mode) { return kModes[static_cast<int>(mode)]; }
// The mode with that many colours (2, 4 or 16).
std::optional<TvcMode> ModeWithNumber(int number);

// The source view and the preview: every mode's surface enlarges to it by whole pixels.
inline constexpr int kPreviewWidth = 512;
inline constexpr int kPreviewHeight = 480;

// Video memory: 240 rows of 64 bytes are shown, the rest of the 16 KB is kept.
// A byte holds the mode's pixelsPerByte pixels, pixel 0 leftmost. A pixel is a palette register
// number in Graphics 2 and 4 and a colour byte (0I0G0R0B) in Graphics 16.
inline constexpr int kScreenBytes = 16384;
inline constexpr int kScreenRows = 240;
inline constexpr int kScreenRowBytes = 64;
using ScreenImage = std::array<std::uint8_t, kScreenBytes>;
// The four palette register bytes (0I0G0R0B) of the 2- and 4-colour modes.
using ColourBytes = std::array<std::uint8_t, 4>;

// The bits that put pixel `place` of a byte at `value`, to be or-ed into the byte.
std::uint8_t PackPixel(TvcMode mode, int place, std::uint8_t value);
// The value of pixel `place` in a byte.
std::uint8_t UnpackPixel(TvcMode mode, int place, std::uint8_t byte);

// Colour levels. The machine's normal intensity is written 145 in its palette (what a pixel of
// the converted picture holds); the pattern chart draws its mixes from colours at 147, the level
// its two-colour averages were tuned with. Both are the same colour on the machine.
inline constexpr int kNormalLevel = 145;
inline constexpr int kChartNormalLevel = 147;
inline constexpr int kFullLevel = 255;

// The 16 colours by number 8I + 4G + 2R + B; number 8 (intensity alone) shows black.
Palette TvcColours();

// The swatches a fresh document starts with.
inline constexpr std::array<ColourValue, 2> kDefaultSwatches2{MakeColour(0, 0, 0), MakeColour(255, 255, 255)};
inline constexpr std::array<ColourValue, 4> kDefaultSwatches4{MakeColour(0, 0, 0), MakeColour(255, 255, 255),
                                                             MakeColour(0, 0, 255), MakeColour(255, 0, 0)};
// Those of a mode: two in Graphics 2, four in Graphics 4, none in Graphics 16.
std::span<const ColourValue> DefaultSwatches(TvcMode mode);

// 0I0G0R0B: any non-zero component sets its colour bit; only a component of 255 sets intensity.
std::uint8_t TvcColourByte(const PaletteEntry& entry);
// The colour the machine shows for a colour byte.
PaletteEntry ShownColour(std::uint8_t colourByte);
// The colour bytes of a mode's palette registers (zero where the palette has no entry).
ColourBytes ColourBytesOf(TvcMode mode, const Palette& palette);
// The mode's register colours that the machine shows differently (colours outside its 16),
// in one message; nothing when every one is shown as is.
std::optional<std::string> UnshowableColours(TvcMode mode, const Palette& palette);

// "(red, green, blue)", the way messages name a colour.
std::string RgbText(const PaletteEntry& colour);
// "#RRGGBB", the way files and captions write a colour.
std::string HexText(ColourValue colour);

}  // namespace vorbix
