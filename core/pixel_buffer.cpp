#include "core/pixel_buffer.h"

#include <algorithm>
#include <cstring>

namespace vorbix {

PixelBuffer ReadFramed(const Picture& source, int margin, MarginFill fill) {
    PixelBuffer buffer;
    buffer.pictureWidth = source.Width();
    buffer.pictureHeight = source.Height();
    buffer.margin = margin;
    buffer.bufferWidth = source.Width() + PadColumns(source.Width()) + 2 * margin;
    buffer.rows = source.Height() + 2 * margin;
    buffer.bytes.assign(buffer.PixelCount() * 3, 0);
    for (int y = 0; y < source.Height(); ++y)
        std::memcpy(buffer.At(margin, y + margin), source.Row(y), static_cast<std::size_t>(source.Width()) * 3);
    if (fill == MarginFill::Filled) FillMargins(buffer);
    return buffer;
}

void WriteFramed(Picture& destination, const PixelBuffer& buffer) {
    const int m = buffer.margin;
    const int width = std::min(buffer.bufferWidth - m, destination.Width());
    const int height = std::min(buffer.rows - m, destination.Height());
    for (int y = 0; y < height; ++y)
        std::memcpy(destination.Row(y), buffer.At(m, y + m), static_cast<std::size_t>(width) * 3);
}

PixelBuffer ReadPlain(const Picture& source) {
    PixelBuffer buffer;
    buffer.pictureWidth = source.Width();
    buffer.pictureHeight = source.Height();
    buffer.bufferWidth = source.Width() + PadColumns(source.Width()) + 8;
    buffer.rows = source.Height();
    buffer.bytes.assign(buffer.PixelCount() * 3, 0);
    for (int y = 0; y < source.Height(); ++y)
        std::memcpy(buffer.At(0, source.Height() - 1 - y), source.Row(y), static_cast<std::size_t>(source.Width()) * 3);
    return buffer;
}

void WritePlain(Picture& destination, const PixelBuffer& buffer) {
    const int width = std::min(buffer.bufferWidth, destination.Width());
    for (int r = 0; r < buffer.rows; ++r) {
        const int y = buffer.rows - 1 - r;
        if (y < destination.Height())
            std::memcpy(destination.Row(y), buffer.At(0, r), static_cast<std::size_t>(width) * 3);
    }
}

void FillMargins(PixelBuffer& buffer) {
    const int w = buffer.pictureWidth;
    const int h = buffer.pictureHeight;
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    for (int y = 3; y >= 0; --y) std::memcpy(buffer.At(4, y), buffer.At(4, 4), rowBytes);
    for (int y = h + 4; y <= h + 7; ++y) std::memcpy(buffer.At(4, y), buffer.At(4, h + 3), rowBytes);
    for (int y = 4; y <= h + 3; ++y) {
        for (int x = 3; x >= 0; --x) std::memcpy(buffer.At(x, y), buffer.At(4, y), 3);
        for (int x = w + 4; x <= w + 7; ++x) std::memcpy(buffer.At(x, y), buffer.At(w + 3, y), 3);
    }
}

}  // namespace vorbix
