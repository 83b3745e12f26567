#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "core/pixel_buffer.h"
#include "core/tvc.h"
#include "dither/error_diffusion.h"
#include "dither/pattern.h"

namespace vorbix {
namespace {

using Kernel = const DiffusionKernel*;
using Greys = std::vector<std::vector<int>>;

// Grey levels from..to (inclusive) for each range, in that order.
Palette GreyPalette(std::initializer_list<std::pair<int, int>> ranges) {
    Palette palette;
    for (const auto& [from, to] : ranges)
        for (int v = from; v <= to; ++v) palette.push_back(EntryFromRgb(v, v, v));
    return palette;
}

Picture GreyPicture(const Greys& rows) {
    Picture p(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) p.SetPixel(x, y, MakeColour(rows[y][x], rows[y][x], rows[y][x]));
    return p;
}

Picture Dithered(Kernel kernel, const Picture& source, const Palette& palette) {
    Picture result = source;
    DitherDiffusion(result, NearestColourSearch(palette), *kernel);
    return result;
}

// The fixtures below keep every pixel grey, so one palette match moves all three channels alike.
// Palettes with a gap make only the pixels inside the gap carry error: every other value a pixel
// reaches is a palette colour, so the output shows exactly what the error added to it.

struct KernelCase {
    const char* name;
    Kernel kernel;
    Greys impulse;  // 139 at (2, 1) in black, palette 0..60 and 255: error 79
    Greys corners;  // 4 x 1 of 200, palette 60 and 150..255: black alone carries error (-60)
};

const KernelCase kKernelCases[] = {
    {"Atkinson", &kAtkinsonKernel,
     {{0, 0, 0, 0, 0}, {0, 0, 60, 9, 9}, {0, 9, 9, 9, 0}, {0, 0, 9, 0, 0}},
     // Margin left black; two margin rows above visited: each picture pixel counts its black
     // sources times 60 / 8 = 7.
     {{158, 165, 172, 172}}},
    {"Floyd", &kFloydKernel,
     {{0, 0, 0, 0, 0}, {0, 0, 60, 28, 0}, {0, 12, 20, 4, 0}, {0, 0, 0, 0, 0}},
     // Filled margin: only the black corners of margin rows 2 and 3 carry error, 60 / 16 = 3.
     {{197, 200, 200, 191}}},
    {"Sierra", &kSierraKernel,
     {{0, 0, 0, 0, 0}, {0, 0, 60, 10, 6}, {4, 8, 10, 8, 4}, {0, 4, 6, 4, 0}},
     // Starts on the picture's own row: no corner is visited.
     {{200, 200, 200, 200}}},
    {"Burkles", &kBurkesKernel,
     {{0, 0, 0, 0, 0}, {0, 0, 60, 16, 8}, {4, 8, 16, 8, 4}, {0, 0, 0, 0, 0}},
     {{194, 198, 198, 194}}},
    {"Stucky", &kStuckiKernel,
     {{0, 0, 0, 0, 0}, {0, 0, 60, 8, 4}, {2, 4, 8, 4, 2}, {1, 2, 4, 2, 1}},
     {{200, 200, 200, 200}}},
    {"Jarvis", &kJarvisKernel,
     {{0, 0, 0, 0, 0}, {0, 0, 60, 7, 5}, {3, 5, 7, 5, 3}, {1, 3, 5, 3, 1}},
     {{200, 200, 200, 200}}},
    {"Sierra Lite", &kSierraLiteKernel,
     {{0, 0, 0, 0, 0}, {0, 0, 60, 38, 0}, {0, 19, 19, 0, 0}, {0, 0, 0, 0, 0}},
     {{200, 200, 200, 185}}},
    {"Sierra2 Row", &kSierra2RowKernel,
     {{0, 0, 0, 0, 0}, {0, 0, 60, 16, 12}, {4, 8, 12, 8, 4}, {0, 0, 0, 0, 0}},
     {{191, 197, 197, 191}}},
};

TEST(ErrorDiffusion, OnePixelsErrorIsDividedThenWeightedOntoEachNeighbour) {
    // 79 / D truncated, times w: Floyd 4 * 7 = 28, where 79 * 7 / 16 would give 34.
    const Palette palette = GreyPalette({{0, 60}, {255, 255}});
    const Picture source = GreyPicture({{0, 0, 0, 0, 0}, {0, 0, 139, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}});
    for (const KernelCase& c : kKernelCases)
        EXPECT_EQ(Dithered(c.kernel, source, palette), GreyPicture(c.impulse)) << c.name;
}

TEST(ErrorDiffusion, FirstVisitedRowAndMarginFillDecideWhatReachesThePicture) {
    const Palette palette = GreyPalette({{60, 60}, {150, 255}});
    const Picture source = GreyPicture({{200, 200, 200, 200}});
    for (const KernelCase& c : kKernelCases)
        EXPECT_EQ(Dithered(c.kernel, source, palette), GreyPicture(c.corners)) << c.name;
}

TEST(ErrorDiffusion, EveryAdditionIsClampedAndNegativeErrorsTruncateTowardZero) {
    // 140 -> 100 hands +10 to the 255 below it (held at 255) and +10 to its lower left, which
    // then goes 170 -> 200: -30 / 4 = -7, twice -7 = -14 to the right: 255 - 14 = 241.
    // Clamping once at the end would give 251; flooring -7.5 to -8 would give 239.
    const Palette palette = GreyPalette({{0, 100}, {200, 255}});
    const Picture source = GreyPicture({{0, 0, 0, 0, 0}, {0, 0, 140, 0, 0}, {0, 160, 255, 0, 0}, {0, 0, 0, 0, 0}});
    const Picture expected = GreyPicture({{0, 0, 0, 0, 0}, {0, 0, 100, 20, 0}, {0, 200, 241, 0, 0}, {0, 0, 0, 0, 0}});
    EXPECT_EQ(Dithered(&kSierraLiteKernel, source, palette), expected);
}

TEST(ErrorDiffusion, OneMatchServesAllThreeChannels) {
    // Nearer white than black as a whole, though its blue alone is near 0.
    Picture p(1, 1, MakeColour(200, 200, 10));
    p = Dithered(&kAtkinsonKernel, p, Palette{EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255)});
    EXPECT_EQ(p.Pixel(0, 0), MakeColour(255, 255, 255));
}

TEST(DiffuseErrors, WalksWholeBufferRowsByIndexAndRunsOnPastEachRowsEnd) {
    // A 4 x 1 picture: 12 x 9 buffer pixels, Floyd visits rows 2 to 6. Error 79 gives 28, 12, 20, 4.
    PixelBuffer buffer = ReadFramed(Picture(4, 1), 4, MarginFill::Black);
    auto grey = [&](int x, int y) -> std::uint8_t& { return buffer.At(x, y)[0]; };
    const std::pair<int, int> seeded[] = {{11, 1}, {0, 2}, {11, 2}, {11, 6}, {5, 7}};
    for (const auto& [x, y] : seeded) grey(x, y) = 139;
    for (std::size_t i = 0; i < buffer.bytes.size(); i += 3) buffer.bytes[i + 1] = buffer.bytes[i + 2] = buffer.bytes[i];

    DiffuseErrors(buffer, kFloydKernel, NearestColourSearch(GreyPalette({{0, 60}, {255, 255}})));

    int expected[9][12] = {};
    expected[1][11] = 139;  // the row above the first visited one is left alone
    expected[2][0] = 60;    // first visited pixel: margin column 0 of row 2
    expected[2][1] = 28;
    expected[3][0] = 20 + 35;
    expected[3][1] = 4;
    // (-1, 1) from column 0 is the last pixel of the same row, not yet visited: 139 + 12 = 151
    // is matched with that share in it, error 91, and its shares 35, 15, 25, 5 wrap on.
    expected[2][11] = 60;
    expected[3][10] = 15;
    expected[3][11] = 25;
    expected[4][0] = 5;
    // The last visited pixel pushes right and down-right into the start of the rows below.
    expected[6][11] = 60;
    expected[7][0] = 28;
    expected[7][10] = 12;
    expected[7][11] = 20;
    expected[8][0] = 4;
    expected[7][5] = 139;  // below the last visited row: left alone
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            EXPECT_EQ(grey(x, y), expected[y][x]) << "buffer (" << x << ", " << y << ")";
            EXPECT_EQ(buffer.At(x, y)[2], expected[y][x]) << "red at (" << x << ", " << y << ")";
        }
}

TEST(ErrorDiffusion, EveryPictureMethodKeepsPaletteColoursAndReducesGreyToPaletteColours) {
    const Palette palette = TvcColours();
    Picture palettePicture(13, 5);  // pad 3: the pad columns are walked too
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) palettePicture.SetPixel(x, y, ColourOfEntry(palette[(x * 3 + y * 5) % 16]));
    const Picture grey(13, 9, MakeColour(100, 100, 100));
    for (const KernelCase& c : kKernelCases) {
        EXPECT_EQ(Dithered(c.kernel, palettePicture, palette), palettePicture) << c.name;

        const Picture result = Dithered(c.kernel, grey, Palette{EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255)});
        ASSERT_EQ(result.Width(), 13);
        ASSERT_EQ(result.Height(), 9);
        std::multiset<ColourValue> colours;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 13; ++x) colours.insert(result.Pixel(x, y));
        const std::size_t white = colours.count(MakeColour(255, 255, 255));
        EXPECT_EQ(white + colours.count(0), colours.size()) << c.name;
        EXPECT_GT(white, 0u) << c.name;
        EXPECT_LT(white, colours.size() / 2) << c.name << ": 100 of 255 is mostly black";
    }
}

// The fast walk spreads a pixel's three channels on vector lanes; the plain one goes byte by byte.
TEST(DiffuseErrors, FastWalkAgreesWithThePlainRuleForEveryKernelAndPalette) {
    std::mt19937 random(11);
    Picture noise(37, 23);  // odd sizes: pad columns, and rows whose ends run on
    for (int y = 0; y < noise.Height(); ++y)
        for (int x = 0; x < noise.Width(); ++x)
            noise.SetPixel(x, y, MakeColour(random() % 256, random() % 256, random() % 256));
    const Palette palettes[] = {Palette{EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255)},
                                Palette{EntryFromRgb(0, 0, 0), EntryFromRgb(145, 0, 0), EntryFromRgb(145, 145, 0),
                                        EntryFromRgb(255, 255, 255)},
                                TvcColours(), PatternPalette()};
    // Taps out of order, apart from each other, and none for the next pixel: the fast walk
    // keeps that pixel apart and pairs neighbouring taps, which no built-in kernel fully tries.
    constexpr DiffusionTap kScatteredTaps[] = {{0, 2, 3}, {2, 0, 5}, {-2, 1, 2}, {1, 1, 4}, {-1, 2, 1}};
    const DiffusionKernel scattered{15, 2, MarginFill::Filled, kScatteredTaps};
    std::vector<KernelCase> kernels(std::begin(kKernelCases), std::end(kKernelCases));
    kernels.push_back({"scattered", &scattered, {}, {}});
    for (const KernelCase& c : kernels)
        for (const Palette& palette : palettes) {
            const NearestColourSearch search(palette);
            PixelBuffer fast = ReadFramed(noise, 4, c.kernel->margin);
            PixelBuffer plain = fast;
            DiffuseErrors(fast, *c.kernel, search);
            DiffuseErrorsPlain(plain, *c.kernel, search);
            ASSERT_EQ(fast.bytes.size(), plain.bytes.size());
            for (std::size_t i = 0; i < fast.bytes.size(); ++i)
                ASSERT_EQ(fast.bytes[i], plain.bytes[i]) << c.name << ", " << palette.size() << " colours: buffer pixel "
                                                         << i / 3 << " channel " << i % 3;
        }
}

}  // namespace
}  // namespace vorbix
