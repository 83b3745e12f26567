#include "io/bmp_file.h"

#include <cstring>

#include "io/file_write.h"

namespace vorbix {

namespace {

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const Picture& picture) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(picture.Width()) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(picture.Height());
    constexpr std::uint32_t headerBytes = 14 + 40;
    std::vector<std::uint8_t> b(headerBytes + imageBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, headerBytes + imageBytes);
    Put32(b, 10, headerBytes);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<std::uint32_t>(picture.Width()));
    Put32(b, 22, static_cast<std::uint32_t>(picture.Height()));
    Put16(b, 26, 1);
    Put16(b, 28, 24);
    Put32(b, 34, imageBytes);
    Put32(b, 38, 2835);  // 72 dots per inch
    Put32(b, 42, 2835);
    for (int y = 0; y < picture.Height(); ++y)
        std::memcpy(&b[headerBytes + rowBytes * (picture.Height() - 1 - y)], picture.Row(y),
                    static_cast<std::size_t>(picture.Width()) * 3);
    return b;
}

Status WriteBmp24(const std::string& path, const Picture& picture) {
    return WriteFileWhole(path, EncodeBmp24(picture));
}

}  // namespace vorbix
