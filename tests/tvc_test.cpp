#include <gtest/gtest.h>

#include <vector>

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
        const PaletteEntry shown = ShownColour(TvcColourByte(colours[number]));
        // Number 8 (intensity alone) is black, and black's byte is that of number 0.
        EXPECT_EQ(shown, colours[number == 8 ? 0 : number]) << number;
    }
    // Any level but 0 sets a colour bit; only 255 sets intensity; the chart's level is shown as normal.
    EXPECT_EQ(TvcColourByte(EntryFromRgb(kChartNormalLevel, 0, 1)), 0x05);
    EXPECT_EQ(TvcColourByte(EntryFromRgb(0, 255, 0)), 0x50);
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

// Every pixel value packed into each place of a byte comes back from that place and leaves the
// other places empty; and every byte comes back from its pixels, so no bit is lost or shared.
TEST(TvcModes, PixelsPackIntoTheirOwnBitsOfAByteAndComeBack) {
    for (const ModeInfo& mode : kModes) {
        std::vector<std::uint8_t> values;
        if (mode.swatchCount == 0)
            for (const PaletteEntry& colour : TvcColours()) values.push_back(TvcColourByte(colour));
        else
            for (int index = 0; index < mode.swatchCount; ++index) values.push_back(static_cast<std::uint8_t>(index));
        for (int place = 0; place < mode.pixelsPerByte; ++place)
            for (std::uint8_t value : values) {
                const std::uint8_t byte = PackPixel(mode.mode, place, value);
                for (int other = 0; other < mode.pixelsPerByte; ++other)
                    EXPECT_EQ(UnpackPixel(mode.mode, other, byte), other == place ? value : 0)
                        << mode.caption << ", value " << int(value) << " at " << place << ", read at " << other;
            }
        for (int byte = 0; byte < 256; ++byte) {
            std::uint8_t again = 0;
            for (int place = 0; place < mode.pixelsPerByte; ++place)
                again |= PackPixel(mode.mode, place, UnpackPixel(mode.mode, place, static_cast<std::uint8_t>(byte)));
            EXPECT_EQ(again, byte) << mode.caption;
        }
    }
}

// Where the machine keeps each pixel's bits, leftmost pixel first.
TEST(TvcModes, PixelsSitWhereTheVideoHardwareReadsThem) {
    const struct {
        TvcMode mode;
        std::vector<std::uint8_t> pixels;
        std::uint8_t byte;
    } cases[] = {
        {TvcMode::Graphics2, {1, 0, 0, 0, 0, 0, 1, 1}, 0x83},
        // Low bits in the high nibble, high bits in the low one.
        {TvcMode::Graphics4, {1, 2, 3, 0}, 0xA6},
        // Colour bytes 0I0G0R0B: the left pixel one bit up.
        {TvcMode::Graphics16, {0x41, 0x14}, 0x96},
    };
    for (const auto& c : cases) {
        std::uint8_t byte = 0;
        for (std::size_t place = 0; place < c.pixels.size(); ++place)
            byte |= PackPixel(c.mode, static_cast<int>(place), c.pixels[place]);
        EXPECT_EQ(byte, c.byte) << ModeOf(c.mode).caption;
    }
}

}  // namespace
}  // namespace vorbix
