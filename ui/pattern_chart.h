#pragma once

#include "core/picture.h"
#include "dither/dither_state.h"

namespace vorbix {

// The live pattern chart: 784 x 312 pixels, of which the chart window shows the columns from
// 472 on (the mix boxes); the two-colour cells to their left lie outside the window.
constexpr int kChartWidth = 784;
constexpr int kChartHeight = 312;
constexpr int kChartHiddenColumns = 472;
constexpr ColorValue kChartBackground = MakeColor(31, 31, 31);

// Draws every mix from the pattern data: its cell of two colours, its box in the on or off
// style, and a mark in a contrasting colour on the box of a swapped mix.
void DrawPatternChart(Picture& chart, const DitherState& state);

}  // namespace vorbix
