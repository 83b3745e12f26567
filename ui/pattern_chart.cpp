#include "ui/pattern_chart.h"

#include "dither/pattern.h"

namespace vorbix {

namespace {

constexpr ColorValue kWhite = MakeColor(255, 255, 255);
constexpr ColorValue kBlack = MakeColor(0, 0, 0);

// A box of extent (dx, dy) covers its corner and the corner plus the extent.
void FillBox(Picture& picture, int x, int y, int dx, int dy, ColorValue c) {
    for (int row = y; row <= y + dy; ++row)
        for (int column = x; column <= x + dx; ++column)
            if (picture.Contains(column, row)) picture.SetPixel(column, row, c);
}

void OutlineBox(Picture& picture, int x, int y, int extent, ColorValue c) {
    FillBox(picture, x, y, extent, 0, c);
    FillBox(picture, x, y + extent, extent, 0, c);
    FillBox(picture, x, y, 0, extent, c);
    FillBox(picture, x + extent, y, 0, extent, c);
}

// The swap mark would vanish in the box's own colour; black or white stands out.
ColorValue Contrasting(ColorValue c) {
    const int luma = 299 * GetRed(c) + 587 * GetGreen(c) + 114 * GetBlue(c);
    return luma > 128 * 1000 ? kBlack : kWhite;
}

}  // namespace

void DrawPatternChart(Picture& chart, const DitherState& state) {
    if (chart.Width() != kChartWidth || chart.Height() != kChartHeight) chart = Picture(kChartWidth, kChartHeight);
    chart.Fill(kChartBackground);
    for (int k = 0; k < kMixCount; ++k) {
        const MixPair mix = MixOfIndex(k);
        const ColorValue first = ColorOfEntry(state.patternColors[k][0]);
        const ColorValue second = ColorOfEntry(state.patternColors[k][1]);
        const int cellX = 30 * mix.i + 15, cellY = 20 * mix.j + 11;
        FillBox(chart, cellX, cellY, 8, 4, first);
        FillBox(chart, cellX + 10, cellY, 8, 4, second);
        FillBox(chart, cellX + 10, cellY + 6, 8, 4, first);
        FillBox(chart, cellX, cellY + 6, 8, 4, second);

        const ColorValue color = ColorOfEntry(MixColor(k));
        const int boxX = 20 * mix.i + 480, boxY = 20 * mix.j + 11;
        if (state.patternFlags[k][0] == 1) {
            OutlineBox(chart, boxX, boxY, 12, kWhite);
            FillBox(chart, boxX + 2, boxY + 2, 8, 8, color);
        } else {
            FillBox(chart, boxX, boxY, 12, 12, color);
        }
        if (state.patternFlags[k][1] == 1) OutlineBox(chart, boxX + 2, boxY + 2, 4, Contrasting(color));
    }
}

}  // namespace vorbix
