#pragma once

#include <optional>
#include <string_view>

#include "core/picture.h"

namespace vorbix {

// How a loaded picture of another shape than the frame is scaled into it.
enum class KeepShape {
    Stretch,  // the whole picture fills the frame, its shape changed to the frame's
    Fit,      // the whole picture with its shape, centred between black bars
    Fill,     // the frame filled with the picture's shape kept: its middle, the rest cropped
};

// "stretch", "fit", "fill": the names the command line and settings files use.
std::string_view KeepShapeName(KeepShape shape);
std::optional<KeepShape> KeepShapeNamed(std::string_view name);

// A part of a picture, in its pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

// With Fit, where the whole source lands in the frame; with Fill, the part of the source the
// frame shows; with Stretch, the whole frame. Sides are rounded to whole pixels, at least one,
// and the rectangle is centred (an odd pixel left over goes to the right or bottom).
PixelRect ShapeRect(int sourceWidth, int sourceHeight, int frameWidth, int frameHeight, KeepShape shape);

// Scales source into the whole of destination, each destination pixel the average of the source
// pixels it covers. Stretch gives the same bytes as StretchPicture over the whole destination.
void ScaleKeepingShape(Picture& destination, const Picture& source, KeepShape shape);

}  // namespace vorbix
