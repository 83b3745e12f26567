#pragma once

// Drawing without a window toolkit, shared by the windows and the command line: the screen as
// the machine shows it, the method sheet's layout, the pattern chart (one table of boxes serves
// drawing and hit-testing), the magnifier and a small bitmap font. Uses core/ and dither/.

#include "core/picture.h"
#include "core/tvc.h"

namespace vorbix {

// The video memory as the TVC's video hardware shows it: 240 rows of 64 bytes, at the mode's
// resolution (128, 256 or 512 pixels a row). The palette registers serve the 2- and 4-colour
// modes; the 16-colour mode reads its colours from the bytes themselves.
Picture RenderScreen(TvcMode mode, const ScreenImage& image, const ColourBytes& registers);

// The same, enlarged to 512 x 480 as the preview shows a conversion.
Picture RenderScreenLikeThePreview(TvcMode mode, const ScreenImage& image, const ColourBytes& registers);

}  // namespace vorbix
