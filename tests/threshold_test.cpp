#include <gtest/gtest.h>

#include "core/tvc.h"
#include "dither/threshold.h"

namespace vorbix {
namespace {

Picture Mixed(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.SetPixel(x, y, MakeColour((x * 37) % 256, (y * 53) % 256, (x * y * 11) % 256));
    return p;
}

TEST(DitherThreshold, PaletteColoursStayAndOthersTakeTheirNearest) {
    const Palette palette = TvcColours();
    Picture p(16, 1);
    for (int i = 0; i < 16; ++i) p.SetPixel(i, 0, ColourOfEntry(palette[i]));
    const Picture before = p;
    DitherThreshold(p, NearestColourSearch(palette));
    EXPECT_EQ(p, before);

    Picture q(2, 1, MakeColour(200, 200, 200));
    DitherThreshold(q, NearestColourSearch(palette));
    EXPECT_EQ(q.Pixel(1, 0), MakeColour(145, 145, 145)) << "tie between 7 and 15 goes to 7";
}

TEST(DitherThresholdNoise, ZeroAmplitudeMatchesThresholdButStillDrawsThreeNumbersPerBufferPixel) {
    const Palette palette = TvcColours();
    const Picture source = Mixed(130, 5);  // buffer width 140
    Picture plain = source, noisy = source;
    DitherThreshold(plain, NearestColourSearch(palette));
    RandomSequence random, expected;
    const std::uint8_t zero = 0;
    DitherThresholdNoise(noisy, zero, NearestColourSearch(palette), random);
    EXPECT_EQ(noisy, plain);
    for (int i = 0; i < 3 * 140 * 5; ++i) expected.Next();
    EXPECT_EQ(random, expected);
}

TEST(DitherThresholdNoise, RunsOnAcrossConversionsAndRepeatsFromAFreshStart) {
    const Palette palette = {EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255)};
    const Picture source(64, 32, MakeColour(128, 128, 128));
    const std::uint8_t amplitude = 30;
    RandomSequence first;
    Picture a = source, b = source;
    DitherThresholdNoise(a, amplitude, NearestColourSearch(palette), first);
    DitherThresholdNoise(b, amplitude, NearestColourSearch(palette), first);
    EXPECT_NE(a, b);
    RandomSequence fresh;
    Picture c = source;
    DitherThresholdNoise(c, amplitude, NearestColourSearch(palette), fresh);
    EXPECT_EQ(a, c);
}

// The noise must be uniform: every tenth of [0, 1) as often as the others, and never 1.
TEST(RandomSequence, NumbersAreUniformInTheUnitInterval) {
    RandomSequence random;
    constexpr int kDraws = 1000000, kBins = 10;
    int bins[kBins] = {};
    for (int i = 0; i < kDraws; ++i) {
        const float r = random.Next();
        ASSERT_TRUE(r >= 0.0f && r < 1.0f) << r;
        ++bins[static_cast<int>(r * kBins)];
    }
    double chiSquare = 0;
    for (const int count : bins) chiSquare += (count - kDraws / kBins) * (count - kDraws / kBins) / (kDraws / kBins * 1.0);
    EXPECT_LT(chiSquare, 27.9) << "above the 0.1 % point for 9 degrees of freedom";
}

TEST(NearestColourNoisy, ClampsJitteredChannelsIntoRange) {
    // With only 0 and 255 on offer, a channel pushed below 0 or above 255 must still land on them.
    const Palette extremes = {EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255)};
    RandomSequence random;
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(NearestColourNoisy(NearestColourSearch(extremes), 5, 5, 5, 30, random), extremes[0]);
        EXPECT_EQ(NearestColourNoisy(NearestColourSearch(extremes), 250, 250, 250, 30, random), extremes[1]);
    }
}

}  // namespace
}  // namespace vorbix
