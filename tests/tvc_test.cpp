#include <gtest/gtest.h>

#include "core/tvc.h"

namespace vorbix {
namespace {

TEST(TvcModes, EveryModeFillsTheShownRowsOfVideoMemoryAndEnlargesToThePreviewByWholePixels) {
    for (const ModeInfo& mode : kModes) {
        EXPECT_EQ(&ModeOf(mode.mode), &mode) << mode.caption;
        EXPECT_EQ(mode.width / mode.pixelsPerByte, kScreenRowBytes) << mode.caption;
        EXPECT_EQ(mode.height, kScreenRows) << mode.caption;
        EXPECT_EQ(kPreviewWidth % mode.width, 0) << mode.caption;
        EXPECT_EQ(kPreviewHeight % mode.height, 0) << mode.caption;
        EXPECT_EQ(ModeWithNumber(mode.number), mode.mode) << mode.caption;
    }
    EXPECT_EQ(kScreenRows * kScreenRowBytes, 15360) << "the rest of the 16 KB is kept, not shown";
    for (int number : {0, 1, 3, 8, 32, -2}) EXPECT_FALSE(ModeWithNumber(number)) << number;
}

TEST(TvcColours, ShownColourOfEachColourByteIsTheColourItCameFrom) {
    const Palette colours = TvcColours();
    for (int number = 0; number < 16; ++number) {
        const PaletteEntry shown = ShownColour(TvcColorByte(colours[number]));
        // Number 8 (intensity alone) is black, and black's byte is that of number 0.
        EXPECT_EQ(shown, colours[number == 8 ? 0 : number]) << number;
    }
    // Any level but 0 sets a colour bit; only 255 sets intensity; the chart's level is shown as normal.
    EXPECT_EQ(TvcColorByte(EntryFromRgb(kChartNormalLevel, 0, 1)), 0x05);
    EXPECT_EQ(TvcColorByte(EntryFromRgb(0, 255, 0)), 0x50);
}

TEST(TvcColours, UnshowableColoursNameEveryRegisterColourOutsideTheSixteen) {
    const Palette palette = {EntryFromRgb(0, 0, 0), EntryFromRgb(200, 10, 0), EntryFromRgb(145, 145, 145),
                             EntryFromRgb(0, 0, 128)};
    EXPECT_EQ(UnshowableColours(TvcMode::Graphics2, palette),
              "palette colour 1 (200, 10, 0) is not a TVC colour, the machine shows (145, 145, 0)")
        << "Graphics 2 uses the first two registers only";
    const auto message = UnshowableColours(TvcMode::Graphics4, palette);
    ASSERT_TRUE(message);
    EXPECT_EQ(*message,
              "palette colour 1 (200, 10, 0) is not a TVC colour, the machine shows (145, 145, 0); "
              "palette colour 3 (0, 0, 128) is not a TVC colour, the machine shows (0, 0, 145)");
    EXPECT_FALSE(UnshowableColours(TvcMode::Graphics16, palette)) << "Graphics 16 has no registers";
    EXPECT_EQ(ColourBytesOf(TvcMode::Graphics4, Palette{EntryFromRgb(255, 255, 255)}), (ColourBytes{0x55, 0, 0, 0}));
}

}  // namespace
}  // namespace vorbix
