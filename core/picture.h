#pragma once

// The image core: pictures and their scaling, pixel buffers and their visiting orders, palettes
// and the nearest-colour rule, tone adjustments, colour counting, the thread pool, and tvc.h,
// the machine's facts. Uses the standard library only.

#include <cstdint>
#include <vector>

namespace vorbix {

// A colour held as one number: red in bits 0-7, green 8-15, blue 16-23.
using ColourValue = std::uint32_t;

constexpr ColourValue MakeColour(int red, int green, int blue) {
    return static_cast<ColourValue>(red) | (static_cast<ColourValue>(green) << 8) |
           (static_cast<ColourValue>(blue) << 16);
}
constexpr int GetRed(ColourValue c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGreen(ColourValue c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBlue(ColourValue c) { return static_cast<int>((c >> 16) & 0xFF); }

// A 24-bit raster, top row first, three bytes a pixel in the order blue, green, red,
// rows packed without filler (the layout Qt calls Format_BGR888).
class Picture {
public:
    Picture() = default;
    Picture(int width, int height, ColourValue fill = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    std::uint8_t* Row(int y) { return bytes_.data() + static_cast<std::size_t>(y) * width_ * 3; }
    const std::uint8_t* Row(int y) const { return bytes_.data() + static_cast<std::size_t>(y) * width_ * 3; }
    std::uint8_t* Data() { return bytes_.data(); }
    const std::uint8_t* Data() const { return bytes_.data(); }
    std::size_t ByteCount() const { return bytes_.size(); }

    ColourValue Pixel(int x, int y) const;
    void SetPixel(int x, int y, ColourValue c);
    void Fill(ColourValue c);

    bool operator==(const Picture&) const = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// Copies the whole source onto the rectangle (0, 0, width, height) of the destination,
// clipped to the destination; the rest of the destination keeps its pixels.
// smooth: each destination pixel is the area-weighted average of the source pixels that
// map onto it; otherwise each takes the source pixel its position falls on.
void StretchPicture(Picture& destination, const Picture& source, int width, int height, int smooth);

// The same rule written out plainly, one destination pixel at a time: destination cell d spans
// source positions [d * S / D, (d + 1) * S / D), each source pixel weighs by its overlap, and the
// weighted sum is divided by the cell's area, rounded half up. StretchPicture must agree with it
// byte for byte; it is there to state the rule and to test the fast paths against.
void StretchPicturePlain(Picture& destination, const Picture& source, int width, int height, int smooth);

}  // namespace vorbix
