#include "io/screen_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "io/file_write.h"

namespace vorbix {

namespace {

Error Unreadable(const std::string& path, const std::string& reason, int code = 0) {
    return {path, code, path + ": " + reason};
}

}  // namespace

ScreenImage EncodeScreen(TvcMode mode, const Picture& surface, const Palette& palette) {
    const ModeInfo& m = ModeOf(mode);
    ScreenImage image{};
    std::size_t offset = 0;
    for (int y = 0; y < m.height; ++y) {
        for (int x = 0; x < m.width; x += m.pixelsPerByte, ++offset) {
            std::uint8_t byte = 0;
            for (int k = 0; k < m.pixelsPerByte; ++k) {
                const ColourValue c = surface.Contains(x + k, y) ? surface.Pixel(x + k, y) : 0;
                const int index = NearestColourIndex(palette, GetRed(c), GetGreen(c), GetBlue(c));
                const int pixel = mode != TvcMode::Graphics16 ? index : palette.empty() ? 0 : TvcColourByte(palette[index]);
                byte |= PackPixel(mode, k, static_cast<std::uint8_t>(pixel));
            }
            image[offset] = byte;
        }
    }
    return image;
}

std::array<std::uint8_t, kTimHeaderBytes> TimHeader(TvcMode mode, const Palette& palette) {
    std::array<std::uint8_t, kTimHeaderBytes> header{'T', 'I', 'M', ModeOf(mode).hardwareMode};
    const ColourBytes colours = ColourBytesOf(mode, palette);
    std::copy(colours.begin(), colours.end(), header.begin() + 4);
    return header;
}

std::vector<std::uint8_t> ScreenBinBytes(const ScreenImage& image) { return {image.begin(), image.end()}; }

std::vector<std::uint8_t> ScreenTimBytes(TvcMode mode, const ScreenImage& image, const Palette& palette) {
    const auto header = TimHeader(mode, palette);
    std::vector<std::uint8_t> bytes(kTimFileBytes);
    std::copy(header.begin(), header.end(), bytes.begin());
    std::copy(image.begin(), image.end(), bytes.begin() + kTimHeaderBytes);
    return bytes;
}

std::vector<FileToWrite> ScreenFiles(TvcMode mode, const Picture& surface, const Palette& palette,
                                     const std::string& binPath, const std::string& timPath) {
    const ScreenImage image = EncodeScreen(mode, surface, palette);
    return {{binPath, ScreenBinBytes(image)}, {timPath, ScreenTimBytes(mode, image, palette)}};
}

Status WriteScreenFiles(TvcMode mode, const Picture& surface, const Palette& palette, const std::string& binPath,
                        const std::string& timPath) {
    return WriteFilesWhole(ScreenFiles(mode, surface, palette, binPath, timPath));
}

Result<ScreenFile> ParseTimBytes(const std::vector<std::uint8_t>& bytes) {
    auto wrong = [](const std::string& text) { return Error{"", 0, text}; };
    if (bytes.size() != static_cast<std::size_t>(kTimFileBytes))
        return wrong("a screen file has " + std::to_string(kTimFileBytes) + " bytes, this one " + std::to_string(bytes.size()));
    if (bytes[0] != 'T' || bytes[1] != 'I' || bytes[2] != 'M') return wrong("not a screen file: it does not start with \"TIM\"");
    ScreenFile file;
    // The hardware shows mode 3 as 16 colours, like mode 2.
    switch (bytes[3]) {
        case 0: file.mode = TvcMode::Graphics2; break;
        case 1: file.mode = TvcMode::Graphics4; break;
        case 2:
        case 3: file.mode = TvcMode::Graphics16; break;
        default: return wrong("unknown mode byte " + std::to_string(bytes[3]) + " (0, 1 or 2 expected)");
    }
    std::copy_n(bytes.begin() + 4, file.registers.size(), file.registers.begin());
    std::copy_n(bytes.begin() + kTimHeaderBytes, kScreenBytes, file.image.begin());
    return file;
}

Result<std::vector<std::uint8_t>> ReadScreenFileBytes(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return Unreadable(path, "no such file", ENOENT);
    if (error) return Unreadable(path, "cannot read: " + error.message(), error.value());
    if (!std::filesystem::is_regular_file(status)) return Unreadable(path, "not a regular file");
    const auto size = std::filesystem::file_size(path, error);
    if (error) return Unreadable(path, "cannot read: " + error.message(), error.value());
    if (size > static_cast<std::uintmax_t>(kTimFileBytes))
        return Unreadable(path, std::to_string(size) + " bytes, too large for a screen file");
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return Unreadable(path, "cannot open");
    return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(in), {}};
}

}  // namespace vorbix
