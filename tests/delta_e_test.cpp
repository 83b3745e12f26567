#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/delta_e.h"
#include "tests/photo_like.h"

namespace vorbix {
namespace {

TEST(DeltaE, FlatPicturesScoreTheDifferenceOfTheirColours) {
    // CIELAB of the sRGB colours under D65, as published to two decimals.
    struct Case {
        ColourValue one, two;
        Lab labOne, labTwo;
    } cases[] = {
        {MakeColour(0, 0, 0), MakeColour(255, 255, 255), {0, 0, 0}, {100, 0, 0}},
        {MakeColour(128, 128, 128), MakeColour(0, 0, 0), {53.59, 0, 0}, {0, 0, 0}},
        {MakeColour(255, 0, 0), MakeColour(255, 255, 255), {53.24, 80.09, 67.20}, {100, 0, 0}},
        {MakeColour(0, 255, 0), MakeColour(0, 0, 255), {87.73, -86.18, 83.18}, {32.30, 79.19, -107.86}},
    };
    for (const Case& c : cases) {
        const double expected = Ciede2000(c.labOne, c.labTwo);
        EXPECT_NEAR(DeltaEScore(Picture(40, 30, c.one), Picture(40, 30, c.two)), expected, 0.02) << c.one;
        EXPECT_NEAR(DeltaEScorePlain(Picture(40, 30, c.one), Picture(40, 30, c.two)), expected, 0.02) << c.one;
    }
}

TEST(DeltaE, IdenticalPicturesScoreZero) {
    const Picture photo = PhotoLike(120, 90);
    EXPECT_EQ(DeltaEScore(photo, photo), 0.0);
    EXPECT_EQ(DeltaEScore(Picture(9, 5, MakeColour(1, 2, 3)), Picture(9, 5, MakeColour(1, 2, 3))), 0.0);
}

TEST(DeltaE, SizesThatDoNotMatchScoreInfinityAndEmptyPicturesZero) {
    EXPECT_EQ(DeltaEScore(Picture(10, 10), Picture(10, 11)), std::numeric_limits<double>::infinity());
    EXPECT_EQ(DeltaEScore(Picture(), Picture()), 0.0);
}

// The eye averages light, not sRGB levels: a fine checkerboard of black and white looks like the
// grey of half the light (sRGB 188), not like sRGB 128.
TEST(DeltaE, FineCheckerboardLooksLikeItsMeanLight) {
    Picture checkerboard(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) checkerboard.SetPixel(x, y, (x + y) % 2 ? MakeColour(255, 255, 255) : 0);
    const double toMeanLight = DeltaEScore(checkerboard, Picture(64, 64, MakeColour(188, 188, 188)));
    const double toMeanLevel = DeltaEScore(checkerboard, Picture(64, 64, MakeColour(128, 128, 128)));
    EXPECT_GT(toMeanLevel, 5 * toMeanLight);
}

TEST(DeltaE, SmallShiftScoresFarBelowShuffledPixels) {
    const Picture photo = PhotoLike(128, 96);
    Picture shifted(128, 96), shuffled = photo;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) shifted.SetPixel(x, y, photo.Pixel(std::max(x - 2, 0), y));
    std::vector<ColourValue> pixels;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) pixels.push_back(photo.Pixel(x, y));
    std::shuffle(pixels.begin(), pixels.end(), std::mt19937(3));
    for (int i = 0; i < 128 * 96; ++i) shuffled.SetPixel(i % 128, i / 128, pixels[i]);
    EXPECT_LT(4 * DeltaEScore(photo, shifted), DeltaEScore(photo, shuffled));
}

// The fast score blurs the wide terms on reduced copies and works in single precision; the plain
// one states the rule. Without blur only the precision differs, so they agree much more closely.
TEST(DeltaE, AgreesWithThePlainScore) {
    struct Case {
        int w, h;
        double samplesPerDegree;
        Picture (*distort)(Picture);
        double tolerance;  // relative
    } cases[] = {
        {256, 240, kTvcSamplesPerDegree, WithNoise, 0.01}, {256, 240, kTvcSamplesPerDegree, WithRamp, 0.01},
        {97, 61, kTvcSamplesPerDegree, WithRamp, 0.01},    {160, 120, 12, WithNoise, 0.01},
        {120, 90, 100, WithRamp, 0.01},                   {7, 3, kTvcSamplesPerDegree, WithNoise, 0.01},
        {1, 1, kTvcSamplesPerDegree, WithNoise, 0.01},    {300, 2, 50, WithRamp, 0.01},
        {40, 30, 0, WithNoise, 1e-5},
    };
    for (const Case& c : cases) {
        const Picture photo = PhotoLike(c.w, c.h);
        const Picture shown = c.distort(photo);
        const double plain = DeltaEScorePlain(photo, shown, c.samplesPerDegree);
        EXPECT_NEAR(DeltaEScore(photo, shown, c.samplesPerDegree), plain, c.tolerance * plain)
            << c.w << " x " << c.h << " at " << c.samplesPerDegree;
    }
}

}  // namespace
}  // namespace vorbix
