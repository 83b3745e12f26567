#pragma once

#include <optional>

#include "core/picture.h"
#include "dither/mix_table.h"

namespace vorbix {

// The live pattern chart: 784 x 312 pixels, of which the chart window shows the columns from
// 472 on (the mix boxes); the two-colour cells to their left lie outside the window.
constexpr int kChartWidth = 784;
constexpr int kChartHeight = 312;
constexpr int kChartHiddenColumns = 472;
constexpr ColourValue kChartBackground = MakeColour(31, 31, 31);

// Where mix k is drawn: its box (clicked to switch or swap it) and its cell of two colours.
// A box of extent e covers its corner and the corner plus e, both included.
struct ChartPlace {
    int boxLeft;
    int boxTop;
    int boxExtent;
    int cellLeft;
    int cellTop;
};
ChartPlace ChartPlaceOf(int k);

// The mix whose box holds the point (chart coordinates); nothing beside the boxes.
std::optional<int> MixAt(double x, double y);

// Draws every mix: its cell of two colours, its box in the on or off style, and a mark in a
// contrasting colour on the box of a swap-marked mix.
void DrawPatternChart(Picture& chart, const MixTable& mixes);

}  // namespace vorbix
