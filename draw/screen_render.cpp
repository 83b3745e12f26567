#include "draw/screen_render.h"

namespace vorbix {

namespace {

// Bits 6, 4, 2, 0 of a 16-colour byte hold its right pixel; one place up, its left pixel.
constexpr std::uint8_t kRightPixelBits = 0x55;

}  // namespace

Picture RenderScreen(TvcMode mode, const ScreenImage& image, const ColourBytes& registers) {
    const ModeInfo& g = ModeOf(mode);
    std::array<ColorValue, 4> registerColours{};
    for (std::size_t i = 0; i < registers.size(); ++i) registerColours[i] = ColorOfEntry(ShownColour(registers[i]));
    Picture shown(g.width, kScreenRows);
    for (int y = 0; y < kScreenRows; ++y) {
        for (int column = 0; column < kScreenRowBytes; ++column) {
            const std::uint8_t byte = image[static_cast<std::size_t>(y) * kScreenRowBytes + column];
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

Picture RenderScreenLikeThePreview(TvcMode mode, const ScreenImage& image, const ColourBytes& registers) {
    Picture enlarged(kPreviewWidth, kPreviewHeight);
    StretchPicture(enlarged, RenderScreen(mode, image, registers), kPreviewWidth, kPreviewHeight, 0);
    return enlarged;
}

}  // namespace vorbix
