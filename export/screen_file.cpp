#include "export/screen_file.h"

#include <algorithm>

#include "export/file_write.h"

namespace vorbix {

const ModeGeometry& GeometryOf(TvcMode mode) {
    static const ModeGeometry table[] = {
        {512, 240, 8, 0, 2},
        {256, 240, 4, 1, 4},
        {128, 240, 2, 2, 0},
    };
    return table[static_cast<int>(mode)];
}

std::uint8_t TvcColorByte(const PaletteEntry& e) {
    std::uint8_t byte = 0;
    if (e.red == 255 || e.green == 255 || e.blue == 255) byte |= 0x40;
    if (e.green != 0) byte |= 0x10;
    if (e.red != 0) byte |= 0x04;
    if (e.blue != 0) byte |= 0x01;
    return byte;
}

namespace {

std::uint8_t PixelBits(TvcMode mode, int k, int index, const Palette& palette) {
    switch (mode) {
        case TvcMode::Graphics16: {
            const std::uint8_t code = palette.empty() ? 0 : TvcColorByte(palette[index]);
            return k == 0 ? static_cast<std::uint8_t>(code << 1) : code;
        }
        case TvcMode::Graphics4:
            return static_cast<std::uint8_t>(((index & 1) << (7 - k)) | (((index >> 1) & 1) << (3 - k)));
        case TvcMode::Graphics2:
            return static_cast<std::uint8_t>((index & 1) << (7 - k));
    }
    return 0;
}

}  // namespace

ScreenImage EncodeScreen(TvcMode mode, const Picture& surface, const Palette& palette) {
    const ModeGeometry& g = GeometryOf(mode);
    ScreenImage image{};
    std::size_t offset = 0;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; x += g.pixelsPerByte, ++offset) {
            std::uint8_t byte = 0;
            for (int k = 0; k < g.pixelsPerByte; ++k) {
                const ColorValue c = surface.Contains(x + k, y) ? surface.Pixel(x + k, y) : 0;
                const int index = NearestColorIndex(palette, GetRed(c), GetGreen(c), GetBlue(c));
                byte |= PixelBits(mode, k, index, palette);
            }
            image[offset] = byte;
        }
    }
    return image;
}

std::array<std::uint8_t, kTimHeaderBytes> TimHeader(TvcMode mode, const Palette& palette) {
    const ModeGeometry& g = GeometryOf(mode);
    std::array<std::uint8_t, kTimHeaderBytes> header{'T', 'I', 'M', g.timModeByte};
    for (int i = 0; i < g.colourBytes && i < static_cast<int>(palette.size()); ++i)
        header[4 + i] = TvcColorByte(palette[i]);
    return header;
}

std::vector<std::uint8_t> ScreenBinBytes(const ScreenImage& image) { return {image.begin(), image.end()}; }

std::vector<std::uint8_t> ScreenTimBytes(TvcMode mode, const ScreenImage& image, const Palette& palette) {
    const auto header = TimHeader(mode, palette);
    std::vector<std::uint8_t> bytes(kTimHeaderBytes + kScreenBytes);
    std::copy(header.begin(), header.end(), bytes.begin());
    std::copy(image.begin(), image.end(), bytes.begin() + kTimHeaderBytes);
    return bytes;
}

std::optional<std::string> WriteScreenFiles(TvcMode mode, const Picture& surface, const Palette& palette,
                                            const std::string& binPath, const std::string& timPath) {
    const ScreenImage image = EncodeScreen(mode, surface, palette);
    if (auto error = WriteFileWhole(binPath, ScreenBinBytes(image))) return error;
    return WriteFileWhole(timPath, ScreenTimBytes(mode, image, palette));
}

}  // namespace vorbix
