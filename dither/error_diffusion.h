#pragma once

#include <span>

#include "core/nearest_search.h"
#include "core/picture.h"
#include "core/pixel_buffer.h"

namespace vorbix {

// One share of a pixel's error: the neighbour dx to the right and dy down, and its weight.
struct DiffusionTap {
    int dx;
    int dy;
    int weight;
};

struct DiffusionKernel {
    int divisor;
    // First visited buffer row; the walk stops as many rows before the buffer's end, so 2
    // also visits two margin rows above and below the picture and 4 only the picture rows.
    int firstRow;
    MarginFill margin;
    std::span<const DiffusionTap> taps;  // in update order
};

extern const DiffusionKernel kAtkinsonKernel;
extern const DiffusionKernel kFloydKernel;
extern const DiffusionKernel kSierraKernel;
extern const DiffusionKernel kBurkesKernel;
extern const DiffusionKernel kStuckiKernel;
extern const DiffusionKernel kJarvisKernel;
extern const DiffusionKernel kSierraLiteKernel;
extern const DiffusionKernel kSierra2RowKernel;

// Walks a margin-4 framed buffer in index order over whole rows, margins included; every
// visited pixel takes its nearest palette colour and hands (error / divisor) * weight per
// channel to the taps, addressed by index so that a row's end runs on into the next row.
// Each addition is clamped to 0..255 at once.
void DiffuseErrors(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColourSearch& palette);
// The same walk one byte at a time, as the rule reads; DiffuseErrors must agree with it.
void DiffuseErrorsPlain(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColourSearch& palette);

// The surface read into a framed buffer with the kernel's margin fill, diffused, written back.
void DitherDiffusion(Picture& surface, const NearestColourSearch& palette, const DiffusionKernel& kernel);

}  // namespace vorbix
