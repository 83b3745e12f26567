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
extern const DiffusionKernel kBurklesKernel;
extern const DiffusionKernel kStuckyKernel;
extern const DiffusionKernel kJarvisKernel;
extern const DiffusionKernel kSierraLiteKernel;
extern const DiffusionKernel kSierra2RowKernel;

// Walks a margin-4 framed buffer in index order over whole rows, margins included; every
// visited pixel takes its nearest palette colour and hands (error / divisor) * weight per
// channel to the taps, addressed by index so that a row's end runs on into the next row.
void DiffuseErrors(PixelBuffer& buffer, const DiffusionKernel& kernel, const NearestColorSearch& palette);

void DitherDiffusion(Picture& destination, const Picture& source, const NearestColorSearch& palette,
                     const DiffusionKernel& kernel);

void DitherAtkinson(Picture& destination, const Picture& source, const NearestColorSearch& palette);
void DitherFloyd(Picture& destination, const Picture& source, const NearestColorSearch& palette);
void DitherSierra(Picture& destination, const Picture& source, const NearestColorSearch& palette);
void DitherBurkles(Picture& destination, const Picture& source, const NearestColorSearch& palette);
void DitherStucky(Picture& destination, const Picture& source, const NearestColorSearch& palette);
void DitherJarvis(Picture& destination, const Picture& source, const NearestColorSearch& palette);
void DitherSierraLite(Picture& destination, const Picture& source, const NearestColorSearch& palette);
void DitherSierra2Row(Picture& destination, const Picture& source, const NearestColorSearch& palette);

}  // namespace vorbix
