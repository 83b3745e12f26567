#include "draw/screen_render.h"

namespace vorbix {

Picture RenderScreen(TvcMode mode, const ScreenImage& image, const ColourBytes& registers) {
    const ModeInfo& g = ModeOf(mode);
    std::array<ColourValue, 4> registerColours{};
    for (std::size_t i = 0; i < registers.size(); ++i) registerColours[i] = ColourOfEntry(ShownColour(registers[i]));
    Picture shown(g.width, kScreenRows);
    for (int y = 0; y < kScreenRows; ++y) {
        for (int column = 0; column < kScreenRowBytes; ++column) {
            const std::uint8_t byte = image[static_cast<std::size_t>(y) * kScreenRowBytes + column];
            const int left = column * g.pixelsPerByte;
            for (int k = 0; k < g.pixelsPerByte; ++k) {
                const std::uint8_t pixel = UnpackPixel(mode, k, byte);
                shown.SetPixel(left + k, y,
                               mode == TvcMode::Graphics16 ? ColourOfEntry(ShownColour(pixel)) : registerColours[pixel]);
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
