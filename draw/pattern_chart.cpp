#include "draw/pattern_chart.h"

#include "dither/pattern.h"

namespace vorbix {

namespace {

constexpr ColourValue kWhite = MakeColour(255, 255, 255);
constexpr ColourValue kBlack = MakeColour(0, 0, 0);

// A box of extent (dx, dy) covers its corner and the corner plus the extent.
void FillBox(Picture& picture, int x, int y, int dx, int dy, ColourValue c) {
    for (int row = y; row <= y + dy; ++row)
        for (int column = x; column <= x + dx; ++column)
            if (picture.Contains(column, row)) picture.SetPixel(column, row, c);
}

void OutlineBox(Picture& picture, int x, int y, int extent, ColourValue c) {
    FillBox(picture, x, y, extent, 0, c);
    FillBox(picture, x, y + extent, extent, 0, c);
    FillBox(picture, x, y, 0, extent, c);
    FillBox(picture, x + extent, y, 0, extent, c);
}

// The swap mark would vanish in the box's own colour; black or white stands out.
ColourValue Contrasting(ColourValue c) {
    const int luma = 299 * GetRed(c) + 587 * GetGreen(c) + 114 * GetBlue(c);
    return luma > 128 * 1000 ? kBlack : kWhite;
}

}  // namespace

ChartPlace ChartPlaceOf(int k) {
    // Mix (j, i) sits in row j, column i: boxes 20 pixels apart from (480, 11), cells 30 apart from (15, 11).
    const MixPair mix = MixOfIndex(k);
    return {20 * mix.i + 480, 20 * mix.j + 11, 12, 30 * mix.i + 15, 20 * mix.j + 11};
}

std::optional<int> MixAt(double x, double y) {
    for (int k = 0; k < kMixCount; ++k) {
        const ChartPlace place = ChartPlaceOf(k);
        if (x >= place.boxLeft && x <= place.boxLeft + place.boxExtent && y >= place.boxTop &&
            y <= place.boxTop + place.boxExtent)
            return k;
    }
    return std::nullopt;
}

void DrawPatternChart(Picture& chart, const MixTable& mixes) {
    if (chart.Width() != kChartWidth || chart.Height() != kChartHeight) chart = Picture(kChartWidth, kChartHeight);
    chart.Fill(kChartBackground);
    for (int k = 0; k < kMixCount; ++k) {
        const ChartPlace place = ChartPlaceOf(k);
        const ColourValue first = ColourOfEntry(mixes[k].first);
        const ColourValue second = ColourOfEntry(mixes[k].second);
        FillBox(chart, place.cellLeft, place.cellTop, 8, 4, first);
        FillBox(chart, place.cellLeft + 10, place.cellTop, 8, 4, second);
        FillBox(chart, place.cellLeft + 10, place.cellTop + 6, 8, 4, first);
        FillBox(chart, place.cellLeft, place.cellTop + 6, 8, 4, second);

        const ColourValue colour = ColourOfEntry(MixColour(k));
        const int x = place.boxLeft, y = place.boxTop, extent = place.boxExtent;
        if (mixes[k].off) {
            OutlineBox(chart, x, y, extent, kWhite);
            FillBox(chart, x + 2, y + 2, extent - 4, extent - 4, colour);
        } else {
            FillBox(chart, x, y, extent, extent, colour);
        }
        if (mixes[k].swapMarked) OutlineBox(chart, x + 2, y + 2, 4, Contrasting(colour));
    }
}

}  // namespace vorbix
