#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "core/likeness.h"
#include "tests/photo_like.h"

namespace vorbix {
namespace {

// A grey field with a bright sun in it.
Picture FieldWithSun(bool sun) {
    Picture p(160, 120, MakeColour(110, 120, 140));
    if (sun)
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x)
                if ((x - 110) * (x - 110) + (y - 40) * (y - 40) < 12 * 12) p.SetPixel(x, y, MakeColour(255, 245, 200));
    return p;
}

// Each pixel's level moved by +-step, in a checkerboard: the fine pattern a dither leaves.
Picture Checkered(Picture p, int step) {
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const ColourValue c = p.Pixel(x, y);
            const int d = (x + y) % 2 ? step : -step;
            auto level = [&](int v) { return std::clamp(v + d, 0, 255); };
            p.SetPixel(x, y, MakeColour(level(GetRed(c)), level(GetGreen(c)), level(GetBlue(c))));
        }
    return p;
}

// What the colour difference alone gets wrong, from the pictures people compare: a lost small
// bright object costs more than its area, more than a fine pattern over the whole picture that
// keeps it. The colour difference prefers the wrong picture.
TEST(Likeness, ALostBrightObjectCostsMoreThanAFinePattern) {
    const Picture reference = FieldWithSun(true), lost = FieldWithSun(false), patterned = Checkered(reference, 60);
    EXPECT_LT(DeltaEScore(reference, lost), DeltaEScore(reference, patterned));
    EXPECT_GT(LikenessScore(reference, lost), LikenessScore(reference, patterned));
}

TEST(Likeness, IdenticalScoresZeroAndSizesMustMatch) {
    const Picture photo = PhotoLike(120, 90);
    EXPECT_EQ(LikenessScore(photo, photo), 0.0);
    EXPECT_EQ(LikenessScore(Picture(10, 10), Picture(10, 11)), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LikenessScorePlain(Picture(10, 10), Picture(10, 11)), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LikenessScore(Picture(), Picture()), 0.0);
    std::vector<float> parts{1, 2};
    EXPECT_EQ(LikenessScore(Picture(3, 3), Picture(4, 3), parts), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(parts.empty());
}

// The parts say where the score comes from: their mean, under the pooling's root, is the score.
TEST(Likeness, PartsAddUpToTheScore) {
    const Picture photo = PhotoLike(130, 70), shown = WithNoise(photo);
    for (const int pooling : {1, 3}) {
        LikenessWeights weights;
        weights.pooling = pooling;
        std::vector<float> parts;
        const double score = LikenessScore(photo, shown, parts, kTvcSamplesPerDegree, weights);
        ASSERT_EQ(parts.size(), 130u * 70u);
        const double mean = std::accumulate(parts.begin(), parts.end(), 0.0) / parts.size();
        EXPECT_NEAR(std::pow(mean, 1.0 / pooling), score, 1e-4 * score);
        EXPECT_DOUBLE_EQ(LikenessScore(photo, shown, kTvcSamplesPerDegree, weights), score);
    }
}

// The fast score (the fast eye blur, single precision, blocks summed in strips) against the plain
// rule, on sizes that cut blocks and strips short, and with other weights and viewing distances.
TEST(Likeness, AgreesWithThePlainScore) {
    LikenessWeights other;
    other.window = 3;
    other.fineWeight = 1;
    other.pooling = 1;
    LikenessWeights blocksOnly;
    blocksOnly.fineWeight = 0;
    blocksOnly.pooling = 2;
    struct Case {
        int w, h;
        double samplesPerDegree;
        Picture (*distort)(Picture);
        LikenessWeights weights;
    } cases[] = {
        {256, 240, kTvcSamplesPerDegree, WithNoise, {}}, {256, 240, kTvcSamplesPerDegree, WithRamp, {}},
        {97, 61, kTvcSamplesPerDegree, WithNoise, {}},   {150, 100, 12, WithNoise, other},
        {120, 90, 100, WithRamp, other},                {7, 3, kTvcSamplesPerDegree, WithNoise, {}},
        {1, 1, kTvcSamplesPerDegree, WithNoise, {}},     {40, 30, 0, WithNoise, {}},
        {90, 70, kTvcSamplesPerDegree, WithNoise, blocksOnly},
    };
    for (const Case& c : cases) {
        const Picture photo = PhotoLike(c.w, c.h);
        const Picture shown = c.distort(photo);
        const double plain = LikenessScorePlain(photo, shown, c.samplesPerDegree, c.weights);
        // Within 2 %: the lost contrast's clipping at zero and the pooling carry the fast blur's
        // small differences (a thousandth of a channel's range) further than the mean ΔE does.
        EXPECT_NEAR(LikenessScore(photo, shown, c.samplesPerDegree, c.weights), plain, 0.02 * plain)
            << c.w << " x " << c.h << " at " << c.samplesPerDegree;
    }
}

}  // namespace
}  // namespace vorbix
