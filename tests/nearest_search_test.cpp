#include <gtest/gtest.h>

#include <random>

#include "core/nearest_search.h"
#include "core/tvc.h"

namespace vorbix {
namespace {

// The full scan with skipped entries left out, as the pattern match defines it.
int ScanIndex(const Palette& palette, const std::vector<std::uint8_t>& skip, int r, int g, int b) {
    std::int32_t best = 999999999;
    int bestIndex = 0;
    for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
        if (!skip.empty() && skip[i]) continue;
        const int dr = r - palette[i].red, dg = g - palette[i].green, db = b - palette[i].blue;
        const int d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            bestIndex = i;
            if (d == 0) break;
        }
    }
    return bestIndex;
}

Palette RandomPalette(int size, std::mt19937& random, int levels) {
    std::uniform_int_distribution<int> level(0, levels - 1);
    Palette p;
    for (int i = 0; i < size; ++i)
        p.push_back(EntryFromRgb(level(random) * 255 / (levels - 1), level(random) * 255 / (levels - 1),
                                 level(random) * 255 / (levels - 1)));
    return p;
}

TEST(NearestColourSearch, AgreesWithTheFullScanEverywhere) {
    std::mt19937 random(5);
    struct Case {
        const char* name;
        Palette palette;
        std::vector<std::uint8_t> skip;
    };
    std::vector<Case> cases = {
        {"16 colours with black twice", TvcColours(), {}},
        {"one entry", Palette{EntryFromRgb(10, 200, 30)}, {}},
        {"empty", Palette{}, {}},
        {"four scanned, one twice: ties go to the lower index",
         Palette{EntryFromRgb(0, 0, 0), EntryFromRgb(200, 30, 30), EntryFromRgb(0, 0, 0), EntryFromRgb(100, 15, 15)}, {}},
        {"two the same", Palette{EntryFromRgb(7, 7, 7), EntryFromRgb(7, 7, 7)}, {}},
        {"coarse levels force ties", RandomPalette(120, random, 3), {}},
        {"fine levels", RandomPalette(120, random, 256), {}},
    };
    std::vector<std::uint8_t> someOff(120);
    for (int i = 0; i < 120; ++i) someOff[i] = (i % 3 == 0);
    cases.push_back({"a third switched off", RandomPalette(120, random, 5), someOff});
    cases.push_back({"all switched off", RandomPalette(120, random, 5), std::vector<std::uint8_t>(120, 1)});
    for (const Case& c : cases) {
        const NearestColourSearch search(c.palette, c.skip);
        for (int r = 0; r < 256; r += 5)
            for (int g = 1; g < 256; g += 6)
                for (int b = 2; b < 256; b += 7)
                {
                    const int index = ScanIndex(c.palette, c.skip, r, g, b);
                    ASSERT_EQ(search.Index(r, g, b), index) << c.name << " " << r << "," << g << "," << b;
                    ASSERT_EQ(search.Nearest(r, g, b), c.palette.empty() ? PaletteEntry{} : c.palette[index]) << c.name;
                }
        for (const PaletteEntry& e : c.palette)
            ASSERT_EQ(search.Index(e.red, e.green, e.blue), ScanIndex(c.palette, c.skip, e.red, e.green, e.blue)) << c.name;
    }
}

}  // namespace
}  // namespace vorbix
