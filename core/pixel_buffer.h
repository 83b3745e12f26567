#pragma once

#include <cstdint>
#include <vector>

#include "core/picture.h"

namespace vorbix {

// Extra columns that bring a width up to a multiple of 4.
constexpr int PadColumns(int width) { return (4 - width % 4) % 4; }

// Blue, green, red triples in one unbroken run; pixel (x, y) starts at byte 3 * (y * BufferWidth + x).
// Framed: top row first, picture pixel (px, py) at (px + margin, py + margin).
// Plain: bottom row first, picture pixel (px, py) at (px, H - 1 - py), 8 extra columns on the right.
struct PixelBuffer {
    int pictureWidth = 0;
    int pictureHeight = 0;
    int margin = 0;
    int bufferWidth = 0;
    int rows = 0;
    std::vector<std::uint8_t> bytes;

    std::uint8_t* At(int x, int y) { return bytes.data() + 3 * (static_cast<std::size_t>(y) * bufferWidth + x); }
    const std::uint8_t* At(int x, int y) const {
        return bytes.data() + 3 * (static_cast<std::size_t>(y) * bufferWidth + x);
    }
    std::size_t PixelCount() const { return static_cast<std::size_t>(bufferWidth) * rows; }
};

enum class MarginFill { Black, Filled };

PixelBuffer ReadFramed(const Picture& source, int margin, MarginFill fill);
void WriteFramed(Picture& destination, const PixelBuffer& buffer);

PixelBuffer ReadPlain(const Picture& source);
void WritePlain(Picture& destination, const PixelBuffer& buffer);

// Copies the picture's edge rows and columns into the margin-4 frame around it; the corner
// blocks and the pad columns stay as they were.
void FillMargins(PixelBuffer& buffer);

}  // namespace vorbix
