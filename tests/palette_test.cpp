#include <gtest/gtest.h>

#include "core/nearest_search.h"
#include "core/palette.h"
#include "core/tvc.h"

namespace vorbix {
namespace {

Palette SwatchPalette(const auto& swatches) {
    Palette palette;
    for (ColourValue c : swatches) palette.push_back(EntryFromColour(c));
    return palette;
}

struct NearestCase {
    const char* name;
    Palette palette;
    int red, green, blue;
    int index;
};

TEST(NearestColourIndex, LowestIndexWinsTiesAndExactMatchStops) {
    const NearestCase cases[] = {
        {"black is entry 0, never 8", TvcColours(), 0, 0, 0, 0},
        {"near black", TvcColours(), 1, 1, 1, 0},
        {"exact grey", TvcColours(), 145, 145, 145, 7},
        {"tie 7 and 15", TvcColours(), 200, 200, 200, 7},
        {"72 goes to black", TvcColours(), 72, 72, 72, 0},
        {"73 goes to grey", TvcColours(), 73, 73, 73, 7},
        {"128 with 16 colours", TvcColours(), 128, 128, 128, 7},
        {"128 with 2 colours", SwatchPalette(kDefaultSwatches2), 128, 128, 128, 1},
        {"127 with 2 colours", SwatchPalette(kDefaultSwatches2), 127, 127, 127, 0},
        {"green with 4 colours", SwatchPalette(kDefaultSwatches4), 0, 255, 0, 0},
        {"one entry", Palette{EntryFromRgb(9, 9, 9)}, 250, 3, 77, 0},
        {"duplicate colour", Palette{EntryFromRgb(1, 2, 3), EntryFromRgb(5, 5, 5), EntryFromRgb(5, 5, 5)}, 5, 5, 5, 1},
    };
    for (const NearestCase& c : cases)
        EXPECT_EQ(NearestColourIndex(c.palette, c.red, c.green, c.blue), c.index) << c.name;
}

TEST(ColourValue, TakesApartRedGreenBlue) {
    const ColourValue c = MakeColour(153, 102, 51);
    EXPECT_EQ(c, 3368601u);
    EXPECT_EQ(GetRed(c), 153);
    EXPECT_EQ(GetGreen(c), 102);
    EXPECT_EQ(GetBlue(c), 51);
}

TEST(TvcColours, SpreadTheColourNumberBits) {
    const Palette p = TvcColours();
    ASSERT_EQ(p.size(), 16u);
    EXPECT_EQ(p[7], EntryFromRgb(145, 145, 145));
    EXPECT_EQ(p[8], EntryFromRgb(0, 0, 0));
    EXPECT_EQ(p[9], EntryFromRgb(0, 0, 255));
    EXPECT_EQ(p[10], EntryFromRgb(255, 0, 0));
    EXPECT_EQ(p[12], EntryFromRgb(0, 255, 0));
    EXPECT_EQ(p[6], EntryFromRgb(145, 145, 0));
}

TEST(SnapToPalette, ThousandColoursBecomeAtMostFifteen) {
    Picture picture(40, 25);
    for (int i = 0; i < 1000; ++i) picture.SetPixel(i % 40, i / 40, MakeColour(i % 256, (i * 7) % 256, (i * 13) % 256));
    SnapToPalette(picture, picture, NearestColourSearch(TvcColours()));
    const Palette p = TvcColours();
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 40; ++x) {
            const ColourValue c = picture.Pixel(x, y);
            const int i = NearestColourIndex(p, GetRed(c), GetGreen(c), GetBlue(c));
            EXPECT_EQ(ColourOfEntry(p[i]), c);
            EXPECT_NE(i, 8);
        }
}

}  // namespace
}  // namespace vorbix
