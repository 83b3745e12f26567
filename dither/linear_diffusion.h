#pragma once

#include "core/palette.h"
#include "core/picture.h"
#include "dither/error_diffusion.h"

namespace vorbix {

// Error diffusion in linear light: each pixel, with the error it has received, is clamped to
// 0..1, takes the palette colour nearest in linear light, and hands what that colour misses to
// the kernel's neighbours, each weight / divisor of it. Error that would leave the
// picture is dropped. Serpentine rows run right to left on odd rows with the kernel mirrored.
// The kernel's first row and margin fill do not apply: the walk covers the picture only.
void DiffuseInLinearLight(Picture& surface, const Palette& palette, const DiffusionKernel& kernel, bool serpentine);
// The same walk written out plainly: the received error kept for the whole picture, each tap
// looked up by its place rather than by a step through a ring of rows.
void DiffuseInLinearLightPlain(Picture& surface, const Palette& palette, const DiffusionKernel& kernel, bool serpentine);

}  // namespace vorbix
