#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numeric>

#include "core/eye_filter.h"
#include "tests/photo_like.h"

namespace vorbix {
namespace {

TEST(EyeFilter, GaussianTapsSumToOneAndNoSpreadIsNoBlur) {
    for (const double s : {0.3, 1.0, 7.5}) {
        const int radius = GaussianRadius(s, 3);
        const std::vector<double> taps = GaussianTaps(s, radius);
        EXPECT_EQ(radius, static_cast<int>(std::ceil(3 * s)));
        EXPECT_NEAR(std::accumulate(taps.begin(), taps.end(), 0.0), 1.0, 1e-12);
        for (int i = 0; i < radius; ++i) EXPECT_DOUBLE_EQ(taps[i], taps[2 * radius - i]);
        EXPECT_GT(taps[radius], taps[radius - 1]);
    }
    EXPECT_EQ(GaussianRadius(40, 3, 10), 9);  // never further than across the picture
    EXPECT_EQ(GaussianRadius(0, 3), 0);
    EXPECT_EQ(GaussianTaps(0, 0), std::vector<double>{1.0});
}

// The fast blur (single precision, wide terms on reduced copies, strips on the thread pool)
// against the plain one, channel by channel, on sizes that cut strips and blocks short.
TEST(EyeFilter, FastBlurAgreesWithThePlainOne) {
    struct Case {
        int w, h;
        double samplesPerDegree;
    } cases[] = {{256, 240, kTvcSamplesPerDegree}, {97, 61, kTvcSamplesPerDegree}, {130, 100, 100}, {5, 3, 12}};
    for (const Case& c : cases) {
        const Picture one = PhotoLike(c.w, c.h), two = WithNoise(one);
        const Channels plainOne = OpponentChannels(one), plainTwo = OpponentChannels(two);
        std::vector<int> seen(c.h, 0);
        double worst = 0;
        std::mutex guard;
        EyeBlurInStrips(one, two, c.samplesPerDegree, [&](const BlurredStrip& strip) {
            for (int p = 0; p < 2; ++p)
                for (int ch = 0; ch < 3; ++ch) {
                    const Plane plain = EyeBlurPlain((p ? plainTwo : plainOne)[ch], kEyeKernels[ch], c.samplesPerDegree);
                    for (int y = strip.y0; y < strip.y1; ++y)
                        for (int x = 0; x < c.w; ++x) {
                            const std::lock_guard lock(guard);
                            worst = std::max(worst, double(std::abs(strip.Row(p, ch, y)[x] - plain.Row(y)[x])));
                        }
                }
            const std::lock_guard lock(guard);
            for (int y = strip.y0; y < strip.y1; ++y) ++seen[y];
        });
        EXPECT_LT(worst, 4e-3) << c.w << " x " << c.h;  // of channels that span about 0 to 1
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), c.h) << "every row once";
    }
}

// Renormalised at the borders: a flat picture stays flat to its edges in both blurs.
TEST(EyeFilter, FlatStaysFlatToTheEdges) {
    const Picture flat(50, 40, MakeColour(90, 160, 220));
    const Channels channels = OpponentChannels(flat);
    EyeBlurInStrips(flat, flat, kTvcSamplesPerDegree, [&](const BlurredStrip& strip) {
        for (int c = 0; c < 3; ++c)
            for (int y = strip.y0; y < strip.y1; ++y)
                for (int x = 0; x < 50; x += 7) EXPECT_NEAR(strip.Row(1, c, y)[x], channels[c].values[0], 1e-5);
    });
    for (int c = 0; c < 3; ++c) {
        const Plane blurred = EyeBlurPlain(channels[c], kEyeKernels[c], kTvcSamplesPerDegree);
        for (const float v : blurred.values) EXPECT_NEAR(v, channels[c].values[0], 1e-6);
    }
}

}  // namespace
}  // namespace vorbix
