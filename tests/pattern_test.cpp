#include <gtest/gtest.h>

#include "dither/pattern.h"

namespace vorbix {
namespace {

DitherState PatternState() {
    DitherState state;
    FillPatternColors(state);
    BuildPatternPalette(state);
    return state;
}

TEST(MixIndex, CountsPairsRowByRow) {
    const struct {
        int j, i, k;
    } cases[] = {{0, 0, 0}, {0, 9, 9}, {0, 14, 14}, {1, 1, 15}, {1, 14, 28}, {2, 2, 29}, {14, 14, 119}};
    for (const auto& c : cases) {
        EXPECT_EQ(MixIndex(c.j, c.i), c.k);
        EXPECT_EQ(MixOfIndex(c.k).j, c.j);
        EXPECT_EQ(MixOfIndex(c.k).i, c.i);
    }
}

TEST(BuildPatternPalette, MeansRoundHalvesUp) {
    const DitherState state = PatternState();
    ASSERT_EQ(state.paletteColors.size(), 120u);
    EXPECT_EQ(state.paletteColors[MixIndex(0, 2)], EntryFromRgb(74, 0, 0));     // 0 and 147
    EXPECT_EQ(state.paletteColors[MixIndex(0, 9)], EntryFromRgb(128, 0, 0));    // 0 and 255
    EXPECT_EQ(state.paletteColors[MixIndex(2, 9)], EntryFromRgb(201, 0, 0));    // 147 and 255
    EXPECT_EQ(state.paletteColors[119], EntryFromRgb(255, 255, 255));
    EXPECT_EQ(state.patternColors[MixIndex(0, 9)][0], EntryFromRgb(255, 0, 0));  // first: higher index
    EXPECT_EQ(state.patternColors[MixIndex(0, 9)][1], EntryFromRgb(0, 0, 0));
    EXPECT_EQ(ChartColours()[7], EntryFromRgb(147, 147, 147));
}

Picture Dithered(const DitherState& state, ColorValue flat) {
    Picture p(4, 3, flat);
    DitherPatternTvc(p, p, state);
    return p;
}

TEST(DitherPatternTvc, CheckerboardOfTheNearestMix) {
    DitherState state = PatternState();
    const ColorValue red = MakeColor(255, 0, 0), black = 0;

    EXPECT_EQ(Dithered(state, red), Picture(4, 3, red)) << "pure chart colour comes back unchanged";

    const Picture board = Dithered(state, MakeColor(128, 0, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(board.Pixel(x, y), (x + y) % 2 == 0 ? red : black) << x << "," << y;

    std::swap(state.patternColors[9][0], state.patternColors[9][1]);
    const Picture swapped = Dithered(state, MakeColor(128, 0, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(swapped.Pixel(x, y), (x + y) % 2 == 0 ? black : red);
}

TEST(NearestPattern, SkipsSwitchedOffMixesOnlyWithTheFullPalette) {
    DitherState state = PatternState();
    EXPECT_EQ(NearestPattern(state, 128, 0, 0), 9);
    state.patternFlags[9][0] = 1;
    const int next = NearestPattern(state, 128, 0, 0);
    EXPECT_NE(next, 9);
    EXPECT_EQ(next, MixIndex(2, 2)) << "(147,0,0) is the next nearest";

    for (auto& flags : state.patternFlags) flags[0] = 1;
    EXPECT_EQ(NearestPattern(state, 200, 10, 99), 0);
    EXPECT_EQ(Dithered(state, MakeColor(200, 150, 10)), Picture(4, 3, 0)) << "all mixes off: black";

    state.paletteColors = DefaultPalette4();
    EXPECT_EQ(NearestPattern(state, 255, 255, 255), 1) << "switches ignored with a short palette";
}

TEST(AutoSelectPatterns, SwitchesOffEveryUnusedMix) {
    DitherState state = PatternState();
    Picture p(3, 2, 0);
    p.SetPixel(1, 1, MakeColor(255, 255, 255));
    AutoSelectPatterns(state, p);
    for (int k = 0; k < kMixCount; ++k) EXPECT_EQ(state.patternFlags[k][0], (k == 0 || k == 119) ? 0 : 1) << k;

    state.patternFlags[119][0] = 1;
    AutoSelectPatterns(state, p);
    EXPECT_EQ(state.patternFlags[119][0], 1) << "a mix that was off stays off";
}

}  // namespace
}  // namespace vorbix
