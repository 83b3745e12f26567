#include "draw/magnifier.h"

namespace vorbix {

namespace {

constexpr int kCell = kMagnifierSize / kMagnifiedBlock;

void Outline(Picture& picture, int from, int to, ColourValue c) {
    for (int i = from; i <= to; ++i) {
        picture.SetPixel(i, from, c);
        picture.SetPixel(i, to, c);
        picture.SetPixel(from, i, c);
        picture.SetPixel(to, i, c);
    }
}

}  // namespace

void DrawMagnifier(Picture& zoom, const Picture& source, int left, int top, ColourValue outside, ColourValue innerFrame,
                   ColourValue outerFrame) {
    if (zoom.Width() != kMagnifierSize || zoom.Height() != kMagnifierSize) zoom = Picture(kMagnifierSize, kMagnifierSize);
    for (int by = 0; by < kMagnifiedBlock; ++by)
        for (int bx = 0; bx < kMagnifiedBlock; ++bx) {
            const int x = left + bx, y = top + by;
            const ColourValue c = source.Contains(x, y) ? source.Pixel(x, y) : outside;
            for (int dy = 0; dy < kCell; ++dy)
                for (int dx = 0; dx < kCell; ++dx) zoom.SetPixel(bx * kCell + dx, by * kCell + dy, c);
        }
    // Around the centre cell (48..71), one line inside its edge and one on it.
    constexpr int kCentre = 2 * kCell;
    Outline(zoom, kCentre, kCentre + kCell - 2, innerFrame);
    Outline(zoom, kCentre - 1, kCentre + kCell - 1, outerFrame);
}

}  // namespace vorbix
