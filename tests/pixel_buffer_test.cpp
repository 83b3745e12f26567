#include <gtest/gtest.h>

#include <random>

#include "core/colour_count.h"
#include "core/pixel_buffer.h"

namespace vorbix {
namespace {

ColourValue BufferPixel(const PixelBuffer& b, int x, int y) {
    const std::uint8_t* p = b.At(x, y);
    return MakeColour(p[2], p[1], p[0]);
}

// Every pixel a different colour, so a misplaced copy shows.
Picture Numbered(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.SetPixel(x, y, MakeColour(x + 1, y + 1, (x * 7 + y) % 256));
    return p;
}

TEST(PixelBuffer, GeometryOfTheLayouts) {
    struct Case {
        int w, h, margin;
        bool plain;
        int bufferWidth, rows;
    } cases[] = {
        {128, 240, 4, false, 136, 248},
        {128, 240, 8, false, 144, 256},
        {130, 240, 4, false, 140, 248},
        {512, 480, 0, true, 520, 480},
        {1, 1, 4, false, 12, 9},
    };
    for (const Case& c : cases) {
        const Picture p(c.w, c.h);
        const PixelBuffer b = c.plain ? ReadPlain(p) : ReadFramed(p, c.margin, MarginFill::Black);
        EXPECT_EQ(b.bufferWidth, c.bufferWidth) << c.w;
        EXPECT_EQ(b.rows, c.rows) << c.w;
        EXPECT_EQ(b.bytes.size(), 3u * c.bufferWidth * c.rows) << c.w;
    }
    EXPECT_EQ(ReadFramed(Picture(128, 240), 4, MarginFill::Black).bytes.size(), 101184u);
}

TEST(PixelBuffer, FramedPutsTopLeftAtMarginAndPlainStartsAtBottomRow) {
    const Picture p = Numbered(5, 3);
    const PixelBuffer framed = ReadFramed(p, 4, MarginFill::Black);
    EXPECT_EQ(framed.At(4, 4) - framed.bytes.data(), 3 * (4 * framed.bufferWidth + 4));
    EXPECT_EQ(BufferPixel(framed, 4, 4), p.Pixel(0, 0));
    EXPECT_EQ(BufferPixel(framed, 3, 4), 0u);
    const PixelBuffer plain = ReadPlain(p);
    EXPECT_EQ(BufferPixel(plain, 0, 0), p.Pixel(0, 2));
    EXPECT_EQ(BufferPixel(plain, 4, 2), p.Pixel(4, 0));
    for (int x = 5; x < plain.bufferWidth; ++x) EXPECT_EQ(BufferPixel(plain, x, 1), 0u);
}

TEST(PixelBuffer, ReadThenWriteGivesThePictureBack) {
    const Picture p = Numbered(7, 5);
    for (const auto& [margin, fill] : {std::pair{4, MarginFill::Filled}, std::pair{8, MarginFill::Black}}) {
        Picture out(7, 5);
        WriteFramed(out, ReadFramed(p, margin, fill));
        EXPECT_EQ(out, p) << margin;
    }
    Picture out(7, 5);
    WritePlain(out, ReadPlain(p));
    EXPECT_EQ(out, p);
}

TEST(FillMargins, CopiesEdgesAndLeavesCornersAndPadBlack) {
    const int w = 6, h = 3;  // pad 2
    const Picture p = Numbered(w, h);
    const PixelBuffer b = ReadFramed(p, 4, MarginFill::Filled);
    EXPECT_EQ(BufferPixel(b, 0, 0), 0u);
    EXPECT_EQ(BufferPixel(b, 0, 4), p.Pixel(0, 0));
    EXPECT_EQ(BufferPixel(b, 4, 0), p.Pixel(0, 0));
    EXPECT_EQ(BufferPixel(b, w + 3, 0), p.Pixel(w - 1, 0));
    EXPECT_EQ(BufferPixel(b, w + 7, h + 3), p.Pixel(w - 1, h - 1));
    EXPECT_EQ(BufferPixel(b, 2, h + 7 - 1), 0u);  // bottom-left corner block
    EXPECT_EQ(BufferPixel(b, 5, h + 7), p.Pixel(1, h - 1));
    for (int y = 0; y < b.rows; ++y)
        for (int x = w + 8; x < b.bufferWidth; ++x) EXPECT_EQ(BufferPixel(b, x, y), 0u) << x << "," << y;
}

TEST(StretchPicture, PlainEnlargementRepeatsEachPixel) {
    const Picture small = Numbered(3, 2);
    Picture big(12, 4, MakeColour(9, 9, 9));
    StretchPicture(big, small, 12, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(big.Pixel(x, y), small.Pixel(x / 4, y / 2));
}

TEST(StretchPicture, SmoothReductionAveragesTheBlock) {
    Picture source(4, 2);
    const int reds[] = {0, 10, 20, 31, 100, 110, 120, 130};
    for (int i = 0; i < 8; ++i) source.SetPixel(i % 4, i / 4, MakeColour(reds[i], 0, 0));
    Picture target(2, 1);
    StretchPicture(target, source, 2, 1, 1);
    EXPECT_EQ(GetRed(target.Pixel(0, 0)), 55);  // (0+10+100+110)/4
    EXPECT_EQ(GetRed(target.Pixel(1, 0)), 75);  // (20+31+120+130)/4 = 75.25
}

TEST(StretchPicture, CopyIntoLargerLeavesTheRest) {
    Picture view(6, 4, MakeColour(1, 2, 3));
    const Picture loaded = Numbered(3, 2);
    StretchPicture(view, loaded, 3, 2, 0);
    EXPECT_EQ(view.Pixel(2, 1), loaded.Pixel(2, 1));
    EXPECT_EQ(view.Pixel(3, 1), MakeColour(1, 2, 3));
    EXPECT_EQ(view.Pixel(0, 2), MakeColour(1, 2, 3));
}

// The fast paths (whole blocks summed first, a corrected reciprocal instead of a division,
// parallel bands) against the rule written out pixel by pixel.
TEST(StretchPicture, AgreesWithThePlainRuleOnEveryPath) {
    std::mt19937 random(3);
    auto noise = [&](int w, int h) {
        Picture p(w, h);
        for (std::size_t i = 0; i < p.ByteCount(); ++i) p.Data()[i] = static_cast<std::uint8_t>(random());
        return p;
    };
    const struct {
        int sourceWidth, sourceHeight, width, height, smooth;
        int targetWidth, targetHeight;
    } cases[] = {
        {2048, 1920, 512, 480, 1, 512, 480},  // whole 4 x 4 blocks, large enough for parallel bands
        {1024, 480, 512, 480, 1, 512, 480},   // whole 2 x 1 blocks
        {512, 480, 128, 240, 1, 128, 240},    // the Graphics 16 surface: blocks of 8, rounded by a shift
        {512, 480, 256, 240, 1, 256, 240},    // the Graphics 4 surface: blocks of 4
        {512, 480, 512, 240, 1, 512, 240},    // the Graphics 2 surface: blocks of 2
        {1536, 1440, 512, 480, 1, 512, 480},  // whole 3 x 3 blocks, rounded by the table
        {1999, 1337, 512, 480, 1, 512, 480},  // uneven overlaps, parallel
        {37, 23, 512, 480, 1, 512, 480},      // enlarged with averaging
        {300, 220, 512, 480, 0, 512, 480},    // nearest pixel
        {512, 480, 512, 480, 1, 128, 240},    // "Resize" off: copied at its own size, clipped
        {96, 64, 96, 64, 0, 512, 480},        // copied into the corner of a larger one
    };
    for (const auto& c : cases) {
        const Picture source = noise(c.sourceWidth, c.sourceHeight);
        const Picture before = noise(c.targetWidth, c.targetHeight);
        Picture fast = before, plain = before;
        StretchPicture(fast, source, c.width, c.height, c.smooth);
        StretchPicturePlain(plain, source, c.width, c.height, c.smooth);
        for (int y = 0; y < fast.Height(); ++y)
            for (int x = 0; x < fast.Width(); ++x)
                ASSERT_EQ(fast.Pixel(x, y), plain.Pixel(x, y))
                    << c.sourceWidth << " x " << c.sourceHeight << " into " << c.width << " x " << c.height
                    << " smooth " << c.smooth << ": first difference at (" << x << ", " << y << ")";
    }
}

TEST(CountColours, DistinctColoursOfThePictureOnly) {
    EXPECT_EQ(CountColours(Picture(130, 2, MakeColour(5, 6, 7))), 1);
    EXPECT_EQ(CountColours(Numbered(130, 3)), 390);
    Picture p(2, 2);
    p.SetPixel(1, 1, MakeColour(0, 0, 1));
    EXPECT_EQ(CountColours(p), 2);
}

}  // namespace
}  // namespace vorbix
