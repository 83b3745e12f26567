#pragma once

#include <string_view>

#include "core/picture.h"

namespace vorbix {

// A fixed 5 x 7 font of printable ASCII, for captions drawn into pictures without a font
// system. Each character takes 6 x 8 cells (a column and a row of spacing), times scale.
constexpr int kGlyphAdvance = 6;
constexpr int kGlyphLineHeight = 8;

// Draws the text with its top-left corner at (x, y), clipped to the picture; characters
// outside printable ASCII are drawn as '?'.
void DrawText(Picture& picture, int x, int y, std::string_view text, ColourValue colour, int scale);

}  // namespace vorbix
