#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/likeness.h"

namespace vorbix {
namespace {

// Sky with a sun, textured ground, two dark posts with hard edges, and grain.
Picture PhotoLike(int w, int h) {
    Picture p(w, h);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> grain(-4, 4);
    auto level = [&](double v) { return std::clamp(static_cast<int>(v) + grain(random), 0, 255); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
            const double sun = std::exp(-25.0 * ((u - 0.7) * (u - 0.7) + (v - 0.2) * (v - 0.2)));
            const double texture = 0.5 + 0.5 * std::sin(u * 12.0) * std::cos(v * 9.0);
            double r = 70 + 110 * v + 170 * sun, g = 120 + 70 * v + 130 * sun, b = 215 - 40 * v + 30 * sun;
            if (v > 0.55) r = 40 + 90 * texture, g = 90 + 100 * texture, b = 30 + 60 * (1 - texture);
            if (std::fmod(u * 2.0, 1.0) < 0.1) r = g = b = 25;
            p.SetPixel(x, y, MakeColor(level(r), level(g), level(b)));
        }
    return p;
}

// Each byte moved by up to +-40, as a coarse dither leaves a picture: a difference in fine detail.
Picture WithNoise(Picture p) {
    std::mt19937 random(9);
    std::uniform_int_distribution<int> step(-40, 40);
    for (std::size_t i = 0; i < p.ByteCount(); ++i)
        p.Data()[i] = static_cast<std::uint8_t>(std::clamp(p.Data()[i] + step(random), 0, 255));
    return p;
}

// Darker on the left, lighter on the right, by up to 30 levels: a difference the wide terms see.
Picture WithRamp(Picture p) {
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width() * 3; ++x) {
            const int step = 60 * (x / 3) / std::max(p.Width() - 1, 1) - 30;
            p.Row(y)[x] = static_cast<std::uint8_t>(std::clamp(p.Row(y)[x] + step, 0, 255));
        }
    return p;
}

TEST(Ciede2000, MatchesSharmaWuDalalPairs) {
    struct Case {
        int pair;
        Lab one, two;
        double difference;
    } cases[] = {
        {1, {50.0000, 2.6772, -79.7751}, {50.0000, 0.0000, -82.7485}, 2.0425},
        {2, {50.0000, 3.1571, -77.2803}, {50.0000, 0.0000, -82.7485}, 2.8615},
        {4, {50.0000, -1.3802, -84.2814}, {50.0000, 0.0000, -82.7485}, 1.0000},
        {7, {50.0000, 0.0000, 0.0000}, {50.0000, -1.0000, 2.0000}, 2.3669},
        // Hues almost opposite: the mean hue flips side as b crosses 0.0010.
        {9, {50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0009}, 7.1792},
        {10, {50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0010}, 7.1792},
        {11, {50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0011}, 7.2195},
        {12, {50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0012}, 7.2195},
        // a' close to 0.
        {13, {50.0000, -0.0010, 2.4900}, {50.0000, 0.0009, -2.4900}, 4.8045},
        {14, {50.0000, -0.0010, 2.4900}, {50.0000, 0.0010, -2.4900}, 4.8045},
        {15, {50.0000, -0.0010, 2.4900}, {50.0000, 0.0011, -2.4900}, 4.7461},
        {16, {50.0000, 2.5000, 0.0000}, {50.0000, 0.0000, -2.5000}, 4.3065},
        {17, {50.0000, 2.5000, 0.0000}, {73.0000, 25.0000, -18.0000}, 27.1492},
        {19, {50.0000, 2.5000, 0.0000}, {56.0000, -27.0000, -3.0000}, 31.9030},
        {22, {50.0000, 2.5000, 0.0000}, {50.0000, 3.2972, 0.0000}, 1.0000},
        {25, {60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
        {29, {22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
        {31, {90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
        {34, {2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(Ciede2000(c.one, c.two), c.difference, 5e-5) << "pair " << c.pair;
        EXPECT_NEAR(Ciede2000(c.two, c.one), c.difference, 5e-5) << "pair " << c.pair << " swapped";
    }
}

// The form must measure small differences in every direction as the formula does: lightness,
// chroma and hue weigh differently, and in the blues the hue rotation couples a and b.
TEST(Ciede2000, RootMeasuresSmallDifferencesAsTheFormulaDoes) {
    const Lab colours[] = {{50, 0, 0}, {50, 40, 10}, {30, 10, -50}, {85, -5, 70}, {10, 2, -3}, {65, -45, 30}};
    const Vector3 directions[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.6, 0.8, 0}, {0, 0.6, -0.8}, {0.5, -0.5, 0.7}};
    for (const Lab& at : colours) {
        const Matrix3 root = Ciede2000Root(at);
        EXPECT_EQ(root[1][0], 0);
        EXPECT_EQ(root[2][0], 0);
        EXPECT_EQ(root[2][1], 0);
        for (const Vector3& direction : directions) {
            const Vector3 d{direction[0] / 2, direction[1] / 2, direction[2] / 2};  // half a CIELAB unit
            const Vector3 measured = Multiply(root, d);
            const double length = std::hypot(measured[0], measured[1], measured[2]);
            const double formula = Ciede2000(at, Lab{at.L + d[0], at.a + d[1], at.b + d[2]});
            // A near grey the formula is not smooth: its chroma weights move with the difference itself.
            const double tolerance = std::hypot(at.a, at.b) < 1 ? 0.15 : 0.05;
            EXPECT_NEAR(length, formula, tolerance * formula)
                << "at " << at.L << " " << at.a << " " << at.b << ", d " << d[0] << " " << d[1] << " " << d[2];
        }
    }
}

TEST(Likeness, FlatPicturesScoreTheDifferenceOfTheirColours) {
    // CIELAB of the sRGB colours under D65, as published to two decimals.
    struct Case {
        ColorValue one, two;
        Lab labOne, labTwo;
    } cases[] = {
        {MakeColor(0, 0, 0), MakeColor(255, 255, 255), {0, 0, 0}, {100, 0, 0}},
        {MakeColor(128, 128, 128), MakeColor(0, 0, 0), {53.59, 0, 0}, {0, 0, 0}},
        {MakeColor(255, 0, 0), MakeColor(255, 255, 255), {53.24, 80.09, 67.20}, {100, 0, 0}},
        {MakeColor(0, 255, 0), MakeColor(0, 0, 255), {87.73, -86.18, 83.18}, {32.30, 79.19, -107.86}},
    };
    for (const Case& c : cases) {
        const double expected = Ciede2000(c.labOne, c.labTwo);
        EXPECT_NEAR(LikenessScore(Picture(40, 30, c.one), Picture(40, 30, c.two)), expected, 0.02) << c.one;
        EXPECT_NEAR(LikenessScorePlain(Picture(40, 30, c.one), Picture(40, 30, c.two)), expected, 0.02) << c.one;
    }
}

TEST(Likeness, IdenticalPicturesScoreZero) {
    const Picture photo = PhotoLike(120, 90);
    EXPECT_EQ(LikenessScore(photo, photo), 0.0);
    EXPECT_EQ(LikenessScore(Picture(9, 5, MakeColor(1, 2, 3)), Picture(9, 5, MakeColor(1, 2, 3))), 0.0);
}

TEST(Likeness, SizesThatDoNotMatchScoreInfinityAndEmptyPicturesZero) {
    EXPECT_EQ(LikenessScore(Picture(10, 10), Picture(10, 11)), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LikenessScore(Picture(), Picture()), 0.0);
}

// The eye averages light, not sRGB levels: a fine checkerboard of black and white looks like the
// grey of half the light (sRGB 188), not like sRGB 128.
TEST(Likeness, FineCheckerboardLooksLikeItsMeanLight) {
    Picture checkerboard(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) checkerboard.SetPixel(x, y, (x + y) % 2 ? MakeColor(255, 255, 255) : 0);
    const double toMeanLight = LikenessScore(checkerboard, Picture(64, 64, MakeColor(188, 188, 188)));
    const double toMeanLevel = LikenessScore(checkerboard, Picture(64, 64, MakeColor(128, 128, 128)));
    EXPECT_GT(toMeanLevel, 5 * toMeanLight);
}

TEST(Likeness, SmallShiftScoresFarBelowShuffledPixels) {
    const Picture photo = PhotoLike(128, 96);
    Picture shifted(128, 96), shuffled = photo;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) shifted.SetPixel(x, y, photo.Pixel(std::max(x - 2, 0), y));
    std::vector<ColorValue> pixels;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) pixels.push_back(photo.Pixel(x, y));
    std::shuffle(pixels.begin(), pixels.end(), std::mt19937(3));
    for (int i = 0; i < 128 * 96; ++i) shuffled.SetPixel(i % 128, i / 128, pixels[i]);
    EXPECT_LT(4 * LikenessScore(photo, shifted), LikenessScore(photo, shuffled));
}

// The fast score blurs the wide terms on reduced copies and works in single precision; the plain
// one states the rule. Without blur only the precision differs, so they agree much more closely.
TEST(Likeness, AgreesWithThePlainScore) {
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
        const double plain = LikenessScorePlain(photo, shown, c.samplesPerDegree);
        EXPECT_NEAR(LikenessScore(photo, shown, c.samplesPerDegree), plain, c.tolerance * plain)
            << c.w << " x " << c.h << " at " << c.samplesPerDegree;
    }
}

}  // namespace
}  // namespace vorbix
