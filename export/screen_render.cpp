#include "export/screen_render.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "export/cas_file.h"

namespace vorbix {

namespace {

constexpr std::size_t kTimFileBytes = kTimHeaderBytes + kScreenBytes;
constexpr int kShownRows = 240;
constexpr int kRowBytes = 64;
constexpr int kColoursListed = 5;
constexpr int kPreviewWidth = 512;
constexpr int kPreviewHeight = 480;

// Bits 6, 4, 2, 0 of a 16-colour byte hold its right pixel; one place up, its left pixel.
constexpr std::uint8_t kRightPixelBits = 0x55;

// The pattern chart draws normal intensity as 147 where the machine's colours have 145: on the
// machine they are the same colour.
ColorValue AtMachineLevels(ColorValue c) {
    auto level = [](int component) { return component == 147 ? 145 : component; };
    return MakeColor(level(GetRed(c)), level(GetGreen(c)), level(GetBlue(c)));
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string DescribeDifferences(const std::map<std::pair<ColorValue, ColorValue>, int>& differences, int pixelCount) {
    std::vector<std::pair<int, std::pair<ColorValue, ColorValue>>> byCount;
    int differing = 0;
    for (const auto& [colours, count] : differences) {
        byCount.push_back({count, colours});
        differing += count;
    }
    std::sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::string text = "the TVC shows " + std::to_string(differing) + " of " + Plural(pixelCount, "pixel", "pixels") +
                       " differently: ";
    const int listed = std::min(kColoursListed, static_cast<int>(byCount.size()));
    for (int i = 0; i < listed; ++i) {
        const auto& [count, colours] = byCount[i];
        if (i > 0) text += ", ";
        text += RgbText(EntryFromColor(colours.first)) + " as " + RgbText(EntryFromColor(colours.second)) + " on " +
                Plural(count, "pixel", "pixels");
    }
    if (listed < static_cast<int>(byCount.size()))
        text += " and " + Plural(static_cast<int>(byCount.size()) - listed, "other colour", "other colours");
    return text;
}

}  // namespace

PaletteEntry ShownColour(std::uint8_t colourByte) {
    static const Palette kShown = DefaultPalette16();
    const int number = (colourByte & 0x01) | ((colourByte >> 1) & 0x02) | ((colourByte >> 2) & 0x04) |
                       ((colourByte >> 3) & 0x08);
    return kShown[number];
}

std::string RgbText(const PaletteEntry& e) {
    return "(" + std::to_string(e.red) + ", " + std::to_string(e.green) + ", " + std::to_string(e.blue) + ")";
}

Picture RenderScreen(TvcMode mode, const ScreenImage& image, const ColourBytes& registers) {
    const ModeGeometry& g = GeometryOf(mode);
    std::array<ColorValue, 4> registerColours{};
    for (std::size_t i = 0; i < registers.size(); ++i) registerColours[i] = ColorOfEntry(ShownColour(registers[i]));
    Picture shown(g.width, kShownRows);
    for (int y = 0; y < kShownRows; ++y) {
        for (int column = 0; column < kRowBytes; ++column) {
            const std::uint8_t byte = image[static_cast<std::size_t>(y) * kRowBytes + column];
            const int left = column * g.pixelsPerByte;
            for (int k = 0; k < g.pixelsPerByte; ++k) {
                ColorValue colour = 0;
                switch (mode) {
                    case TvcMode::Graphics16: {
                        const int bits = k == 0 ? byte >> 1 : byte;
                        colour = ColorOfEntry(ShownColour(static_cast<std::uint8_t>(bits & kRightPixelBits)));
                        break;
                    }
                    case TvcMode::Graphics4:
                        colour = registerColours[((byte >> (7 - k)) & 1) | (((byte >> (3 - k)) & 1) << 1)];
                        break;
                    case TvcMode::Graphics2:
                        colour = registerColours[(byte >> (7 - k)) & 1];
                        break;
                }
                shown.SetPixel(left + k, y, colour);
            }
        }
    }
    return shown;
}

Picture RenderScreenLikeThePreview(const ScreenFile& file) {
    Picture enlarged(kPreviewWidth, kPreviewHeight);
    StretchPicture(enlarged, RenderScreen(file.mode, file.image, file.registers), kPreviewWidth, kPreviewHeight, 0);
    return enlarged;
}

std::variant<ScreenFile, std::string> ParseTimBytes(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != kTimFileBytes)
        return "a screen file has " + std::to_string(kTimFileBytes) + " bytes, this one " + std::to_string(bytes.size());
    if (bytes[0] != 'T' || bytes[1] != 'I' || bytes[2] != 'M') return std::string("not a screen file: it does not start with \"TIM\"");
    ScreenFile file;
    // The hardware shows mode 3 as 16 colours, like mode 2.
    switch (bytes[3]) {
        case 0: file.mode = TvcMode::Graphics2; break;
        case 1: file.mode = TvcMode::Graphics4; break;
        case 2:
        case 3: file.mode = TvcMode::Graphics16; break;
        default: return "unknown mode byte " + std::to_string(bytes[3]) + " (0, 1 or 2 expected)";
    }
    std::copy_n(bytes.begin() + 4, file.registers.size(), file.registers.begin());
    std::copy_n(bytes.begin() + kTimHeaderBytes, kScreenBytes, file.image.begin());
    return file;
}

std::variant<std::vector<std::uint8_t>, std::string> ReadScreenFileBytes(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return path + ": no such file";
    if (error) return path + ": cannot read: " + error.message();
    if (!std::filesystem::is_regular_file(status)) return path + ": not a regular file";
    const auto size = std::filesystem::file_size(path, error);
    if (error) return path + ": cannot read: " + error.message();
    if (size > kTimFileBytes) return path + ": " + std::to_string(size) + " bytes, too large for a screen file";
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return path + ": cannot open";
    return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(in), {}};
}

std::optional<std::string> CheckShownScreen(const std::string& timPath, TvcMode mode, const Picture& surface,
                                            const Palette& palette) {
    const auto bytes = ReadScreenFileBytes(timPath);
    if (const auto* problem = std::get_if<std::string>(&bytes)) return "cannot read back " + *problem;
    const auto parsed = ParseTimBytes(std::get<std::vector<std::uint8_t>>(bytes));
    if (const auto* problem = std::get_if<std::string>(&parsed)) return timPath + " reads back wrong: " + *problem;
    const ScreenFile& file = std::get<ScreenFile>(parsed);
    const Picture shown = RenderScreen(file.mode, file.image, file.registers);

    std::map<std::pair<ColorValue, ColorValue>, int> differences;
    const int width = std::min(shown.Width(), surface.Width());
    const int height = std::min(shown.Height(), surface.Height());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const ColorValue made = surface.Pixel(x, y), seen = shown.Pixel(x, y);
            if (AtMachineLevels(made) != seen) ++differences[{made, seen}];
        }
    if (differences.empty()) return std::nullopt;
    std::string message = timPath + ": " + DescribeDifferences(differences, width * height);
    if (const auto unshowable = UnshowableColours(mode, palette)) message += "; " + *unshowable;
    return message;
}

}  // namespace vorbix
