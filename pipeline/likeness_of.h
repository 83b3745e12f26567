#pragma once

#include <vector>

#include "core/palette.h"
#include "core/picture.h"
#include "core/tvc.h"

namespace vorbix {

// How close the machine's picture comes to the source view: the screen the conversion's files
// hold, drawn as the machine shows it (a checkerboard mix is scored as the eye sees it, not as its
// average), against the source view. The likeness (LikenessScore): lower is closer, 0 is identical.
double LikenessOf(const Picture& sourceView, TvcMode mode, const Picture& surface, const Palette& palette);
// The same, with each source-view pixel's part of it in `parts`.
double LikenessOf(const Picture& sourceView, TvcMode mode, const Picture& surface, const Palette& palette,
                  std::vector<float>& parts);
// The colour difference alone of the same pictures: S-CIELAB mean ΔE00 (DeltaEScore).
double DeltaEOf(const Picture& sourceView, TvcMode mode, const Picture& surface, const Palette& palette);

// The machine's picture LikenessOf compares with the source view: the screen the conversion's
// files hold, drawn as the machine shows it, 512 x 480.
Picture MachinePicture(TvcMode mode, const Picture& surface, const Palette& palette);

}  // namespace vorbix
