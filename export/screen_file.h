#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/palette.h"
#include "core/picture.h"

namespace vorbix {

// The option button index of each TVC mode.
enum class TvcMode { Graphics2 = 0, Graphics4 = 1, Graphics16 = 2 };

constexpr int kScreenBytes = 16384;
constexpr int kTimHeaderBytes = 16;
using ScreenImage = std::array<std::uint8_t, kScreenBytes>;
// The four palette register bytes (0I0G0R0B) of the 2- and 4-colour modes.
using ColourBytes = std::array<std::uint8_t, 4>;

struct ModeGeometry {
    int width;
    int height;
    int pixelsPerByte;
    std::uint8_t timModeByte;
    int colourBytes;  // palette entries that go into the header
};
const ModeGeometry& GeometryOf(TvcMode mode);

// 0I0G0R0B: any non-zero component sets its colour bit; only a component of 255 sets intensity.
std::uint8_t TvcColorByte(const PaletteEntry& entry);

// The video memory image of the mode's work surface, each pixel matched back to a palette index.
ScreenImage EncodeScreen(TvcMode mode, const Picture& surface, const Palette& palette);

// The 16-byte header: "TIM", the mode byte, four colour bytes (zero where the palette has no
// entry), eight zero bytes.
std::array<std::uint8_t, kTimHeaderBytes> TimHeader(TvcMode mode, const Palette& palette);

std::vector<std::uint8_t> ScreenBinBytes(const ScreenImage& image);
std::vector<std::uint8_t> ScreenTimBytes(TvcMode mode, const ScreenImage& image, const Palette& palette);

// Writes the bare image to binPath, then the headed one to timPath, each whole or not at all.
std::optional<std::string> WriteScreenFiles(TvcMode mode, const Picture& surface, const Palette& palette,
                                            const std::string& binPath, const std::string& timPath);

}  // namespace vorbix
