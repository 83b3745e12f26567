#include <gtest/gtest.h>

#include "core/tvc.h"
#include "dither/pattern.h"

namespace vorbix {
namespace {

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

TEST(PatternPalette, MeansRoundHalvesUp) {
    const Palette palette = PatternPalette();
    ASSERT_EQ(palette.size(), 120u);
    EXPECT_EQ(palette[MixIndex(0, 2)], EntryFromRgb(74, 0, 0));     // 0 and 147
    EXPECT_EQ(palette[MixIndex(0, 9)], EntryFromRgb(128, 0, 0));    // 0 and 255
    EXPECT_EQ(palette[MixIndex(2, 9)], EntryFromRgb(201, 0, 0));    // 147 and 255
    EXPECT_EQ(palette[119], EntryFromRgb(255, 255, 255));
    const MixTable mixes;
    EXPECT_EQ(mixes[MixIndex(0, 9)].first, EntryFromRgb(255, 0, 0));  // first: higher index
    EXPECT_EQ(mixes[MixIndex(0, 9)].second, EntryFromRgb(0, 0, 0));
    EXPECT_EQ(ChartColours()[7], EntryFromRgb(147, 147, 147));
}

TEST(MixTable, SwapsMarksAndSwitchesAreIndependent) {
    MixTable mixes;
    EXPECT_EQ(mixes.OnCount(), kMixCount);
    mixes.SwapColours(9);
    EXPECT_EQ(mixes[9].first, EntryFromRgb(0, 0, 0));
    EXPECT_FALSE(mixes[9].swapMarked) << "swapping colours leaves the mark alone";
    mixes.ToggleSwapMark(9);
    mixes.SetOff(3, true);
    EXPECT_EQ(mixes.OnCount(), kMixCount - 1);
    EXPECT_EQ(mixes.OffList()[3], 1);
    mixes.SetAll(false);
    EXPECT_FALSE(mixes[9].swapMarked) << "all on clears the marks";
    EXPECT_EQ(mixes[9].first, EntryFromRgb(0, 0, 0)) << "but does not swap back";
    EXPECT_EQ(mixes.OnCount(), kMixCount);
}

Picture Dithered(const MixTable& mixes, ColourValue flat) {
    Picture p(4, 3, flat);
    DitherPatternTvc(p, PatternPalette(), mixes);
    return p;
}

TEST(DitherPatternTvc, CheckerboardOfTheNearestMix) {
    MixTable mixes;
    const ColourValue red = MakeColour(255, 0, 0), black = 0;

    EXPECT_EQ(Dithered(mixes, red), Picture(4, 3, red)) << "pure chart colour comes back unchanged";

    const Picture board = Dithered(mixes, MakeColour(128, 0, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(board.Pixel(x, y), (x + y) % 2 == 0 ? red : black) << x << "," << y;

    mixes.SwapColours(9);
    const Picture swapped = Dithered(mixes, MakeColour(128, 0, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(swapped.Pixel(x, y), (x + y) % 2 == 0 ? black : red);
}

TEST(NearestMix, SkipsSwitchedOffMixesOnlyWithTheFullPalette) {
    const Palette palette = PatternPalette();
    MixTable mixes;
    EXPECT_EQ(NearestMix(palette, mixes, 128, 0, 0), 9);
    mixes.SetOff(9, true);
    const int next = NearestMix(palette, mixes, 128, 0, 0);
    EXPECT_NE(next, 9);
    EXPECT_EQ(next, MixIndex(2, 2)) << "(147,0,0) is the next nearest";

    mixes.SetAll(true);
    EXPECT_EQ(NearestMix(palette, mixes, 200, 10, 99), 0);
    EXPECT_EQ(Dithered(mixes, MakeColour(200, 150, 10)), Picture(4, 3, 0)) << "all mixes off: black";

    const Palette four = {EntryFromColour(kDefaultSwatches4[0]), EntryFromColour(kDefaultSwatches4[1]),
                          EntryFromColour(kDefaultSwatches4[2]), EntryFromColour(kDefaultSwatches4[3])};
    EXPECT_EQ(NearestMix(four, mixes, 255, 255, 255), 1) << "switches ignored with a short palette";
}

TEST(AutoSelectMixes, SwitchesOffEveryUnusedMix) {
    const Palette palette = PatternPalette();
    MixTable mixes;
    Picture p(3, 2, 0);
    p.SetPixel(1, 1, MakeColour(255, 255, 255));
    AutoSelectMixes(mixes, palette, p);
    for (int k = 0; k < kMixCount; ++k) EXPECT_EQ(mixes[k].off, !(k == 0 || k == 119)) << k;

    mixes.SetOff(119, true);
    AutoSelectMixes(mixes, palette, p);
    EXPECT_TRUE(mixes[119].off) << "a mix that was off stays off";
}

}  // namespace
}  // namespace vorbix
