#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "dither/ordered.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

using Screen = void (*)(Picture&);

void Halftone2(Picture& p) { ApplyCells(p, kHalftone2Cells); }
void Halftone3(Picture& p) { ApplyCells(p, kHalftone3Cells); }
void News4(Picture& p) { ApplyCells(p, kNews4Cells); }
void Bayer2(Picture& p) { ApplyPhases(p, kBayer2Phases); }
void Bayer4(Picture& p) { ApplyPhases(p, kBayer4Phases); }
void Bayer8(Picture& p) { ApplyPhases(p, kBayer8Phases); }
using Mask = std::vector<std::string>;  // '#' channel at 255, '.' at 0, '?' anything else

Mask MaskOf(const Picture& p, int channel) {
    Mask mask(p.Height(), std::string(p.Width(), '?'));
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const int v = p.Row(y)[3 * x + channel];
            if (v == 255) mask[y][x] = '#';
            if (v == 0) mask[y][x] = '.';
        }
    return mask;
}

Picture Grey(int w, int h, int v) { return Picture(w, h, MakeColour(v, v, v)); }

Picture GreyPicture(const std::vector<std::vector<int>>& rows) {
    Picture p(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) p.SetPixel(x, y, MakeColour(rows[y][x], rows[y][x], rows[y][x]));
    return p;
}

Picture Dithered(Screen screen, const Picture& source) {
    Picture result = source;
    screen(result);
    return result;
}

constexpr int kNever = 256;

struct ThresholdCase {
    const char* name;
    Screen method;
    std::vector<std::vector<int>> firstLit;  // per picture pixel, the lowest grey level that lights it
};

TEST(OrderedDither, TheLowestLevelThatLightsEachPixelFollowsItsMatrixEntryAndRule) {
    const ThresholdCase cases[] = {
        // Ranks 1 4 / 3 2: lit when 4v > 204r.
        {"Halftone 2x2", Halftone2, {{52, 205}, {154, 103}}},
        // Ranks 5 1 6 / 7 2 9 / 4 3 8: lit when 9v > 229r.
        {"Halftone 3x3", Halftone3, {{128, 26, 153}, {179, 51, 230}, {102, 77, 204}}},
        // W = 2: 3 pixels a buffer row, so row 1 starts at column phase 1 and meets M[1, 1] = 0
        // first. Lit when v > M.
        {"Bayer 2x2", Bayer2, {{64, 128}, {1, 192}}},
        // W = 4: 8 pixels a buffer row from column 0, so pixel (x, y) meets M[x, y]. Lit when v >= M.
        {"Bayer 4x4", Bayer4, {{32, 159, 64, 191}, {255, 96, 223, 128}, {48, 175, 16, 143}, {207, 112, 239, 80}}},
        // W = 8: 12 pixels a buffer row from (0, 0), so picture row y meets matrix row y + 4 (mod 8),
        // shifted 4 columns on the even rows. Lit when v / 4, half to even, >= M: at 4M - 1 for
        // an odd M, at 4M - 2 for an even one.
        {"Bayer 8x8", Bayer8,
         {{3, 131, 35, 163, 11, 139, 43, 171},
          {203, 75, 235, 107, 195, 67, 227, 99},
          {51, 179, 19, 147, 59, 187, 27, 155},
          {251, 123, 219, 91, 243, 115, 211, 83},
          {6, 134, 38, 166, 0, 126, 30, 158},
          {190, 62, 222, 94, 198, 70, 230, 102},
          {54, 182, 22, 150, 46, 174, 14, 142},
          {238, 110, 206, 78, 246, 118, 214, 86}}},
        // Level v / 32 must exceed M / 2: entries 14 and 15 never light.
        {"News 4x4", News4,
         {{224, 96, 192, kNever}, {96, 32, 64, 192}, {128, 32, 64, 160}, {224, 128, 160, kNever}}},
    };
    for (const ThresholdCase& c : cases) {
        const int h = static_cast<int>(c.firstLit.size());
        const int w = static_cast<int>(c.firstLit[0].size());
        std::vector<std::vector<int>> firstLit(h, std::vector<int>(w, kNever));
        for (int v = 255; v >= 0; --v) {
            const Picture result = Dithered(c.method, Grey(w, h, v));
            const Mask blue = MaskOf(result, 0);
            ASSERT_EQ(MaskOf(result, 1), blue) << c.name;
            ASSERT_EQ(MaskOf(result, 2), blue) << c.name;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    ASSERT_NE(blue[y][x], '?') << c.name;
                    if (blue[y][x] == '#') firstLit[y][x] = v;
                }
        }
        EXPECT_EQ(firstLit, c.firstLit) << c.name;
    }
}

struct MaskCase {
    const char* name;
    Screen method;
    Picture source;
    Mask lit;  // the same in every channel of these grey pictures
};

TEST(OrderedDither, EdgeCellsAndRowPhases) {
    const MaskCase cases[] = {
        // The last cell of a row holds picture column 3 and two filled margin copies of it:
        // 9 * 128 lights ranks 1 to 5, of which 5 and 4 lie in the picture's column.
        {"Halftone 3x3 cell into the margin", Halftone3,
         GreyPicture({{0, 0, 0, 128}, {0, 0, 0, 128}, {0, 0, 0, 128}}), {"...#", "....", "...#"}},
        // W = 4: 5 pixels a row, so every second row starts at column phase 1, comparing with 0 and 191.
        {"Bayer 2x2 at 100", Bayer2, Grey(4, 4, 100), {"#.#.", "#.#.", "#.#.", "#.#."}},
        {"Bayer 2x2 at 150", Bayer2, Grey(4, 4, 150), {"####", "#.#.", "####", "#.#."}},
        // Level 7: the pixels of 15 (top right) and 14 (bottom right) stay dark.
        {"News 4x4 white", News4, Grey(4, 4, 255), {"###.", "####", "####", "###."}},
    };
    for (const MaskCase& c : cases) {
        const Picture result = Dithered(c.method, c.source);
        for (int channel = 0; channel < 3; ++channel) EXPECT_EQ(MaskOf(result, channel), c.lit) << c.name;
    }
}

TEST(OrderedDither, HalftoneTwoByTwoCellSumsEachChannelOnItsOwn) {
    // Blue sums to 408: only rank 1 (top left) is above 204; green sums to 409: rank 2 (bottom right) too.
    Picture cell(2, 2, MakeColour(0, 102, 102));
    cell.SetPixel(1, 0, MakeColour(0, 103, 102));
    const Picture result = Dithered(Halftone2, cell);
    EXPECT_EQ(MaskOf(result, 0), Mask({"#.", ".."}));
    EXPECT_EQ(MaskOf(result, 1), Mask({"#.", ".#"}));
    EXPECT_EQ(MaskOf(result, 2), Mask({"..", ".."}));
}

TEST(OrderedDither, BayerEightByEightRunsItsColumnPhaseOnAndRoundsQuartersHalfToEven) {
    // W = 128: 132 pixels a buffer row from (0, 0), so each row starts 4 column steps on.
    // Picture (0, 0) meets M[4, 4] = 1, (0, 1) meets M[0, 5] = 51, (4, 5) meets M[4, 1] = 50.
    struct Case {
        int x, y, value;
        bool lit;
    };
    const Case cases[] = {
        {0, 0, 4, true},     // q = 1
        {0, 0, 3, true},     // 0.75 rounds to 1
        {0, 0, 2, false},    // 0.5 rounds to the even 0
        {0, 1, 204, true},   // q = 51
        {0, 1, 202, false},  // 50.5 rounds to the even 50
        {0, 1, 200, false},  // a column phase set back per row would meet M[4, 5] = 49 and light it
        {4, 5, 198, true},   // 49.5 rounds to the even 50
        {4, 5, 197, false},  // 49.25 rounds to 49
    };
    for (const Case& c : cases) {
        const Picture result = Dithered(Bayer8, Grey(128, 6, c.value));
        EXPECT_EQ(result.Pixel(c.x, c.y), c.lit ? MakeColour(255, 255, 255) : 0)
            << "(" << c.x << ", " << c.y << ") at " << c.value;
    }
}

const Screen kOrderedMethods[] = {Halftone2, Halftone3, Bayer2,
                                  Bayer4,    Bayer8,    News4};

TEST(OrderedDither, EveryChannelEndsAtZeroOr255AndTheSizeStays) {
    Picture source(13, 7);  // pad 3
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) source.SetPixel(x, y, MakeColour(x * 19 % 256, y * 37 % 256, (x * y * 23) % 256));
    for (int m = 0; m < 6; ++m) {
        const Picture result = Dithered(kOrderedMethods[m], source);
        ASSERT_EQ(result.Width(), 13);
        ASSERT_EQ(result.Height(), 7);
        for (int channel = 0; channel < 3; ++channel)
            for (const std::string& row : MaskOf(result, channel))
                EXPECT_EQ(row.find('?'), std::string::npos) << "method " << m + 5;
    }
}

TEST(OrderedDither, ThroughTheSessionGraphics2And4HoldOnlySwatchColoursAndGraphics16OnlyFullChannels) {
    Session s;
    // None of these swatches is a colour the patterns produce, so only the snapping can give them.
    s.SetSwatchColour(TvcMode::Graphics2, 0, MakeColour(0, 0, 145));
    s.SetSwatchColour(TvcMode::Graphics2, 1, MakeColour(145, 145, 0));
    s.SetSwatchColour(TvcMode::Graphics4, 0, MakeColour(145, 0, 0));
    s.SetSwatchColour(TvcMode::Graphics4, 1, MakeColour(0, 145, 0));
    s.SetSwatchColour(TvcMode::Graphics4, 2, MakeColour(0, 145, 145));
    s.SetSwatchColour(TvcMode::Graphics4, 3, MakeColour(145, 145, 145));
    Picture photo(160, 120);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) photo.SetPixel(x, y, MakeColour(x * 255 / 159, y * 255 / 119, (x + 2 * y) % 256));
    s.Load(photo);

    const std::set<ColourValue> swatches2 = {s.Settings().swatches2[0], s.Settings().swatches2[1]};
    const std::set<ColourValue> swatches4 = {s.Settings().swatches4[0], s.Settings().swatches4[1], s.Settings().swatches4[2], s.Settings().swatches4[3]};
    for (int mode = 0; mode < 3; ++mode) {
        s.ChooseMode(static_cast<TvcMode>(mode));
        for (int method = 5; method <= 10; ++method) {
            s.ChooseMethod(method);
            const Picture& surface = s.Surface(static_cast<TvcMode>(mode));
            std::set<ColourValue> colours;
            for (int y = 0; y < surface.Height(); ++y)
                for (int x = 0; x < surface.Width(); ++x) colours.insert(surface.Pixel(x, y));
            for (ColourValue c : colours) {
                if (mode == 0) {
                    EXPECT_TRUE(swatches2.count(c)) << "Graphics 2, method " << method << ": " << c;
                }
                if (mode == 1) {
                    EXPECT_TRUE(swatches4.count(c)) << "Graphics 4, method " << method << ": " << c;
                }
                if (mode == 2) {
                    for (int channel : {GetRed(c), GetGreen(c), GetBlue(c)})
                        EXPECT_TRUE(channel == 0 || channel == 255) << "Graphics 16, method " << method << ": " << c;
                }
            }
            EXPECT_GT(colours.size(), 1u) << "mode " << mode << ", method " << method;
        }
    }
}

}  // namespace
}  // namespace vorbix
