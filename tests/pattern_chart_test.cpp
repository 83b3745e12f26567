#include <gtest/gtest.h>

#include "dither/pattern.h"
#include "draw/pattern_chart.h"

namespace vorbix {
namespace {

// Drawing and hit-testing read the same table of boxes: a click anywhere on a drawn box hits that
// box's mix, and a click beside every box hits nothing.
TEST(PatternChart, EveryDrawnBoxIsHitWhereItIsDrawnAndNowhereElse) {
    MixTable mixes;
    Picture chart;
    DrawPatternChart(chart, mixes);
    ASSERT_EQ(chart.Width(), kChartWidth);
    for (int k = 0; k < kMixCount; ++k) {
        const ChartPlace place = ChartPlaceOf(k);
        const int left = place.boxLeft, top = place.boxTop, right = left + place.boxExtent, bottom = top + place.boxExtent;
        EXPECT_EQ(chart.Pixel(left + 6, top + 6), ColourOfEntry(MixColour(k))) << k;
        for (const auto& [x, y] : {std::pair{left, top}, {right, bottom}, {right + 0.4, top + 6.0}, {left + 6.0, top}})
            EXPECT_EQ(MixAt(x, y), k) << "mix " << k << " at " << x << ", " << y;
        for (const auto& [x, y] : {std::pair{left - 0.5, top + 6.0}, {right + 0.5, top + 6.0}, {left + 6.0, bottom + 1.0}})
            EXPECT_FALSE(MixAt(x, y)) << "beside mix " << k << " at " << x << ", " << y;
    }
    EXPECT_FALSE(MixAt(0, 0));
    EXPECT_FALSE(MixAt(ChartPlaceOf(MixIndex(0, 14)).boxLeft + 20, 11)) << "right of the last column";
    EXPECT_FALSE(MixAt(480 + 6, 11 + 20 + 6)) << "below the diagonal: (1, 0) is no mix";
}

TEST(PatternChart, SwitchedOffBoxesAreOutlinedAndSwapMarksContrast) {
    MixTable mixes;
    const int k = MixIndex(7, 14);  // grey and white: a light box
    mixes.SetOff(k, true);
    mixes.ToggleSwapMark(k);
    Picture chart;
    DrawPatternChart(chart, mixes);
    const ChartPlace place = ChartPlaceOf(k);
    EXPECT_EQ(chart.Pixel(place.boxLeft, place.boxTop), MakeColour(255, 255, 255)) << "off: white outline";
    EXPECT_EQ(chart.Pixel(place.boxLeft + 1, place.boxTop + 1), kChartBackground) << "off: a gap inside the outline";
    EXPECT_EQ(chart.Pixel(place.boxLeft + 2, place.boxTop + 2), 0u) << "swap mark: black on the light box";
    EXPECT_EQ(chart.Pixel(place.boxLeft + 10, place.boxTop + 10), ColourOfEntry(MixColour(k)));
}

}  // namespace
}  // namespace vorbix
