#include <gtest/gtest.h>

#include <functional>

#include "core/rounding.h"
#include "core/tone.h"

namespace vorbix {
namespace {

using Adjust = std::function<void(Picture&, int)>;

// One channel value through an adjustment, on a 1 x 1 grey picture.
int Through(const Adjust& adjust, int value, int channel) {
    Picture p(1, 1, MakeColour(channel, channel, channel));
    adjust(p, value);
    EXPECT_EQ(GetRed(p.Pixel(0, 0)), GetBlue(p.Pixel(0, 0)));
    return GetRed(p.Pixel(0, 0));
}

const Adjust kBrightness = [](Picture& p, int v) { AdjustBrightness(p, p, v); };
const Adjust kGamma = [](Picture& p, int v) { AdjustGamma(p, p, v); };
const Adjust kContrast = [](Picture& p, int v) { AdjustContrast(p, p, v); };

struct ToneCase {
    const char* name;
    const Adjust* adjust;
    int value;
    int in;
    int out;
};

TEST(ToneAdjustments, RoundHalfToEvenWithSinglePrecisionFactors) {
    const ToneCase cases[] = {
        {"brightness 25: 1", &kBrightness, 25, 1, 0},
        {"brightness 25: 3 (half to even)", &kBrightness, 25, 3, 2},
        {"brightness 25: 5 (half to even)", &kBrightness, 25, 5, 2},
        {"brightness 51: 100", &kBrightness, 51, 100, 102},
        {"brightness 51: 255 clamps", &kBrightness, 51, 255, 255},
        {"brightness 51: 25 (single factor)", &kBrightness, 51, 25, 25},
        {"brightness 51: 125 (single factor)", &kBrightness, 51, 125, 127},
        {"brightness 0", &kBrightness, 0, 200, 0},
        {"brightness 100 clamps", &kBrightness, 100, 200, 255},
        {"gamma 49 neutral", &kGamma, 49, 77, 77},
        {"gamma 50: 10", &kGamma, 50, 10, 11},
        {"gamma 50: 64", &kGamma, 50, 64, 66},
        {"gamma 50: 128", &kGamma, 50, 128, 130},
        {"gamma 100: 1", &kGamma, 100, 1, 16},
        {"gamma 100: 128", &kGamma, 100, 128, 181},
        {"gamma 0: 225", &kGamma, 0, 225, 0},
        {"gamma 0: 226", &kGamma, 0, 226, 1},
        {"gamma 0: 253", &kGamma, 0, 253, 172},
        {"gamma 0: 254", &kGamma, 0, 254, 210},
        {"gamma 0: 255", &kGamma, 0, 255, 255},
        {"contrast 0", &kContrast, 0, 3, 127},
        {"contrast 100: 200 clamps", &kContrast, 100, 200, 255},
        {"contrast 100: 64", &kContrast, 100, 64, 1},
        {"contrast 100: 127", &kContrast, 100, 127, 127},
        {"contrast 25: 0", &kContrast, 25, 0, 64},
        {"contrast 25: 1", &kContrast, 25, 1, 64},
        {"contrast 51: 202 (single factor)", &kContrast, 51, 202, 203},
        {"contrast 100: 0 clamps low", &kContrast, 100, 0, 0},
    };
    for (const ToneCase& c : cases) EXPECT_EQ(Through(*c.adjust, c.value, c.in), c.out) << c.name;
}

TEST(ToneAdjustments, NeutralAtFiftyExceptGamma) {
    Picture source(3, 2);
    for (int i = 0; i < 6; ++i) source.SetPixel(i % 3, i / 3, MakeColour(i * 40, 255 - i * 30, i * 7 + 3));
    for (const Adjust* adjust : {&kBrightness, &kContrast}) {
        Picture p = source;
        (*adjust)(p, 50);
        EXPECT_EQ(p, source);
    }
    Picture p = source;
    AdjustColour(p, p, 50);
    EXPECT_EQ(p, source);
}

TEST(AdjustColour, SaturationAroundThePixelsOwnGrey) {
    struct Case {
        int value;
        ColourValue in;
        ColourValue out;
    } cases[] = {
        {0, MakeColour(200, 100, 50), MakeColour(117, 117, 117)},
        {100, MakeColour(200, 100, 50), MakeColour(255, 83, 0)},
        {50, MakeColour(1, 2, 4), MakeColour(1, 2, 4)},
        {25, MakeColour(3, 0, 0), MakeColour(2, 0, 0)},  // green and blue land on 0.5: even 0
        {25, MakeColour(5, 2, 2), MakeColour(4, 2, 2)},  // 2.5: even 2
    };
    for (const Case& c : cases) {
        Picture p(1, 1, c.in);
        AdjustColour(p, p, c.value);
        EXPECT_EQ(p.Pixel(0, 0), c.out) << c.value;
    }
}

TEST(RoundHalfEven, FastAdditionTrickAgreesWithThePlainRule) {
    const struct {
        double x, rounded;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999999, 2}, {2.5000001, 3},
                 {254.5, 254}, {255.5, 256}, {-127.5, -128}, {1e9 + 0.5, 1e9}, {1125899906842623.5, 1125899906842624}};
    for (const auto& c : cases) {
        EXPECT_EQ(RoundHalfEvenPlain(c.x), c.rounded) << c.x;
        EXPECT_EQ(RoundHalfEven(c.x), c.rounded) << c.x;
    }
    // Every quarter step across the channel range and beyond, as tone and noise produce them.
    for (int quarters = -2000; quarters <= 2000; ++quarters)
        ASSERT_EQ(RoundHalfEven(quarters / 4.0), RoundHalfEvenPlain(quarters / 4.0)) << quarters / 4.0;
    for (int i = 0; i < 100000; ++i) {
        const double x = (i * 0.37117) - 18000.0 + i / 7.0;
        ASSERT_EQ(RoundHalfEven(x), RoundHalfEvenPlain(x)) << x;
    }
}

}  // namespace
}  // namespace vorbix
