#include "core/keep_shape.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace vorbix {

namespace {

constexpr std::array<std::string_view, 3> kNames = {"stretch", "fit", "fill"};

// a * b / c rounded half up, for positive sides.
int Scaled(int a, int b, int c) {
    return static_cast<int>((static_cast<std::int64_t>(a) * b * 2 + c) / (2 * static_cast<std::int64_t>(c)));
}

PixelRect Centred(int width, int height, int outerWidth, int outerHeight) {
    width = std::clamp(width, 1, outerWidth);
    height = std::clamp(height, 1, outerHeight);
    return {(outerWidth - width) / 2, (outerHeight - height) / 2, width, height};
}

Picture Cropped(const Picture& source, const PixelRect& part) {
    Picture cropped(part.width, part.height);
    for (int y = 0; y < part.height; ++y)
        std::memcpy(cropped.Row(y), source.Row(part.y + y) + static_cast<std::size_t>(part.x) * 3,
                    static_cast<std::size_t>(part.width) * 3);
    return cropped;
}

}  // namespace

std::string_view KeepShapeName(KeepShape shape) { return kNames[static_cast<int>(shape)]; }

std::optional<KeepShape> KeepShapeNamed(std::string_view name) {
    for (int n = 0; n < static_cast<int>(kNames.size()); ++n)
        if (name == kNames[n]) return static_cast<KeepShape>(n);
    return std::nullopt;
}

PixelRect ShapeRect(int sourceWidth, int sourceHeight, int frameWidth, int frameHeight, KeepShape shape) {
    // Compared as cross products: is the source wider than the frame?
    const bool wider = static_cast<std::int64_t>(sourceWidth) * frameHeight > static_cast<std::int64_t>(sourceHeight) * frameWidth;
    switch (shape) {
        case KeepShape::Stretch: break;
        case KeepShape::Fit:
            return wider ? Centred(frameWidth, Scaled(sourceHeight, frameWidth, sourceWidth), frameWidth, frameHeight)
                         : Centred(Scaled(sourceWidth, frameHeight, sourceHeight), frameHeight, frameWidth, frameHeight);
        case KeepShape::Fill:
            return wider ? Centred(Scaled(sourceHeight, frameWidth, frameHeight), sourceHeight, sourceWidth, sourceHeight)
                         : Centred(sourceWidth, Scaled(sourceWidth, frameHeight, frameWidth), sourceWidth, sourceHeight);
    }
    return {0, 0, frameWidth, frameHeight};
}

void ScaleKeepingShape(Picture& destination, const Picture& source, KeepShape shape) {
    const int width = destination.Width(), height = destination.Height();
    const PixelRect rect = ShapeRect(source.Width(), source.Height(), width, height, shape);
    if (shape == KeepShape::Fill) {
        if (rect.width == source.Width() && rect.height == source.Height())
            StretchPicture(destination, source, width, height, 1);
        else
            StretchPicture(destination, Cropped(source, rect), width, height, 1);
        return;
    }
    if (rect.width == width && rect.height == height) {
        StretchPicture(destination, source, width, height, 1);
        return;
    }
    Picture placed(rect.width, rect.height);
    StretchPicture(placed, source, rect.width, rect.height, 1);
    destination.Fill(MakeColour(0, 0, 0));
    for (int y = 0; y < rect.height; ++y)
        std::memcpy(destination.Row(rect.y + y) + static_cast<std::size_t>(rect.x) * 3, placed.Row(y),
                    static_cast<std::size_t>(rect.width) * 3);
}

}  // namespace vorbix
