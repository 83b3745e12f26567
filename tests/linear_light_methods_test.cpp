#include <gtest/gtest.h>

#include <cmath>

#include "core/linear_light.h"
#include "core/oklab.h"
#include "core/tvc.h"
#include "dither/blue_noise.h"
#include "dither/error_diffusion.h"
#include "dither/knoll_pattern.h"
#include "dither/linear_diffusion.h"
#include "dither/linear_palette.h"
#include "dither/methods.h"
#include "photo_like.h"

namespace vorbix {
namespace {

const Palette kBlackWhite{EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255)};
const Palette kDarkRedYellow{EntryFromRgb(145, 0, 0), EntryFromRgb(255, 255, 0)};

struct NamedPalette {
    const char* name;
    Palette palette;
};

// Palettes of 2, 4 and 16 entries, some with colours repeated, where ties pick the lower index.
std::vector<NamedPalette> PalettesWithTies() {
    const Palette tvc = TvcColours();
    Palette tvcRepeated = tvc;
    for (int i = 8; i < 16; ++i) tvcRepeated[i] = tvc[15 - i];
    const PaletteEntry black = EntryFromRgb(0, 0, 0), white = EntryFromRgb(255, 255, 255);
    const PaletteEntry blue = EntryFromRgb(0, 0, 255), red = EntryFromRgb(255, 0, 0);
    return {
        {"dark red, yellow", kDarkRedYellow},
        {"red twice", {red, red}},
        {"black, white, blue, red", {black, white, blue, red}},
        {"black, white twice, blue", {black, white, white, blue}},
        {"the 16 TVC colours", tvc},
        {"the TVC colours, half of them twice", tvcRepeated},
    };
}

// The share of pixels showing the palette's second colour.
double SecondColourShare(const Picture& picture, const Palette& palette) {
    int second = 0;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const ColourValue c = picture.Pixel(x, y);
            EXPECT_TRUE(c == ColourOfEntry(palette[0]) || c == ColourOfEntry(palette[1])) << x << ", " << y;
            second += c == ColourOfEntry(palette[1]);
        }
    return static_cast<double>(second) / (picture.Width() * picture.Height());
}

// Where a colour lies in linear light along the straight mix of two palette colours.
double LinearShare(ColourValue colour, const Palette& palette) {
    auto light = [](int level) { return SrgbToLinear(level / 255.0); };
    const PaletteEntry c = EntryFromColour(colour), a = palette[0], b = palette[1];
    const double along[3] = {light(b.red) - light(a.red), light(b.green) - light(a.green), light(b.blue) - light(a.blue)};
    const double from[3] = {light(c.red) - light(a.red), light(c.green) - light(a.green), light(c.blue) - light(a.blue)};
    double dot = 0, length = 0;
    for (int i = 0; i < 3; ++i) dot += from[i] * along[i], length += along[i] * along[i];
    return dot / length;
}

// The colour lying at share s of the way from the first to the second colour in linear light.
ColourValue MixOf(const Palette& palette, double s) {
    auto level = [&](int a, int b) {
        const double light = (1 - s) * SrgbToLinear(a / 255.0) + s * SrgbToLinear(b / 255.0);
        return static_cast<int>(std::lround(LinearToSrgb(light) * 255));
    };
    const PaletteEntry a = palette[0], b = palette[1];
    return MakeColour(level(a.red, b.red), level(a.green, b.green), level(a.blue, b.blue));
}

// The methods numbered after the seventeen that aim at the linear-light mix, with how closely a
// 64 x 64 flat patch shows the linear-light share of the palette's two colours: the blue-noise
// mask holds each of its 4096 levels once, so it is exact to a level; error diffusion loses the
// error that leaves the patch (up to 1.5 % of the pixels); a Knoll plan mixes in sixteenths and
// rounds its greedy choice, so it is within one sixteenth. ("Knoll Lab" leans to the nearer
// lightness on purpose: its own test is below.)
struct FlatPatchCase {
    int method;
    double tolerance;
};
constexpr FlatPatchCase kFlatPatchCases[] = {
    {18, 0.015}, {19, 0.015}, {20, 0.015}, {21, 0.015}, {22, 1.0 / 4096}, {23, 1.0 / 16},
};

TEST(LinearLightMethods, AFlatPatchShowsTheLinearLightShareOfTwoColours) {
    for (const FlatPatchCase& test : kFlatPatchCases)
        for (const Palette& palette : {kBlackWhite, kDarkRedYellow})
            for (const double s : {0.05, 0.2, 0.5, 0.8}) {
                const Method& method = MethodNumbered(test.method);
                const ColourValue colour = MixOf(palette, s);
                SCOPED_TRACE(std::string(method.caption) + " " + RgbText(EntryFromColour(colour)));
                Picture patch(64, 64, colour);
                RandomSequence random;
                RunMethod(method, patch, palette, MixTable(), random);
                EXPECT_NEAR(SecondColourShare(patch, palette), LinearShare(colour, palette), test.tolerance);
            }
}

// A ramp from black to white over 256 columns: every band of 32 columns shows white in the
// share of its mean linear light (within the flat patch's tolerance and 2 % more, as the error
// and the plans vary across a band), and the bands grow lighter from left to right.
TEST(LinearLightMethods, ATwoColourRampFollowsLinearLight) {
    Picture ramp(256, 32);
    for (int y = 0; y < ramp.Height(); ++y)
        for (int x = 0; x < ramp.Width(); ++x) ramp.SetPixel(x, y, MakeColour(x, x, x));
    for (const FlatPatchCase& test : kFlatPatchCases) {
        const Method& method = MethodNumbered(test.method);
        SCOPED_TRACE(method.caption);
        Picture result = ramp;
        RandomSequence random;
        RunMethod(method, result, kBlackWhite, MixTable(), random);
        double previous = -1;
        for (int band = 0; band < 8; ++band) {
            Picture part(32, ramp.Height());
            double light = 0;
            for (int y = 0; y < part.Height(); ++y)
                for (int x = 0; x < 32; ++x) {
                    part.SetPixel(x, y, result.Pixel(band * 32 + x, y));
                    light += SrgbToLinear((band * 32 + x) / 255.0);
                }
            const double share = SecondColourShare(part, kBlackWhite);
            EXPECT_NEAR(share, light / (32 * part.Height()), test.tolerance + 0.02) << "band " << band;
            EXPECT_GT(share, previous) << "band " << band;
            previous = share;
        }
    }
}

// "Knoll OKLab" carries three tenths of the error, so a flat patch leans to the colour nearer in
// lightness: worked by hand for black and white, where a pick is the nearer in OKLab lightness
// (the cube root of linear light; the boundary lies at 0.125), each pick filling two places of
// sixteen. A linear mid grey picks white, white, white, black, white, black, white, black: ten
// sixteenths; 0.2 picks white only at the first and fifth pick (0.2, then 0.14 with the error).
TEST(LinearLightMethods, KnollOkLabLeansToTheNearerLightness) {
    const Method& method = MethodNumbered(24);
    const struct {
        double linearShare;
        double shown;
    } cases[] = {{0.03, 0}, {0.2, 4.0 / 16}, {0.5, 10.0 / 16}, {0.8, 1}};
    for (const auto& c : cases) {
        Picture patch(64, 64, MixOf(kBlackWhite, c.linearShare));
        RandomSequence random;
        RunMethod(method, patch, kBlackWhite, MixTable(), random);
        EXPECT_EQ(SecondColourShare(patch, kBlackWhite), c.shown) << c.linearShare;
    }
}

// The blues of a landscape's hills, which the TVC lacks, are made of blues and greys: OKLab keeps
// hues even where CIELAB bends blue toward purple, so no magenta or red comes into their plans.
TEST(LinearLightMethods, KnollOkLabMakesBluesOfBlues) {
    const Palette palette = TvcColours();
    const PlanMaker maker(palette, kOkLabPlan);
    for (const PaletteEntry blue : {EntryFromRgb(33, 62, 147), EntryFromRgb(68, 81, 215)}) {
        const MixingPlan plan = maker.For(LinearOf(blue));
        for (const std::uint8_t i : plan)
            EXPECT_LE(palette[i].red, palette[i].blue) << RgbText(blue) << " plans " << RgbText(palette[i]);
    }
}

TEST(LinearLightMethods, PaletteColoursComeBackUnchanged) {
    const Palette four{EntryFromRgb(0, 0, 0), EntryFromRgb(145, 0, 0), EntryFromRgb(145, 145, 0), EntryFromRgb(255, 0, 0)};
    Picture stripes(40, 12);
    for (int y = 0; y < stripes.Height(); ++y)
        for (int x = 0; x < stripes.Width(); ++x) stripes.SetPixel(x, y, ColourOfEntry(four[(x / 3 + y) % 4]));
    for (int number = kMethodCount + 1; number <= kAllMethodCount; ++number) {
        Picture result = stripes;
        RandomSequence random;
        RunMethod(MethodNumbered(number), result, four, MixTable(), random);
        EXPECT_EQ(result, stripes) << MethodNumbered(number).caption;
    }
}

// No error is carried: a change to some pixels changes the result at those pixels only.
TEST(LinearLightMethods, BlueNoiseChangesOnlyWhereThePictureChanged) {
    Picture before(70, 50);
    for (int y = 0; y < before.Height(); ++y)
        for (int x = 0; x < before.Width(); ++x) before.SetPixel(x, y, MakeColour(x * 3, y * 5, (x + y) * 2));
    Picture after = before;
    for (int y = 10; y < 20; ++y)
        for (int x = 30; x < 45; ++x) after.SetPixel(x, y, MakeColour(250, 10, 100));
    const Palette palette = TvcColours();
    DitherBlueNoise(before, palette);
    DitherBlueNoise(after, palette);
    for (int y = 0; y < before.Height(); ++y)
        for (int x = 0; x < before.Width(); ++x) {
            if (x >= 30 && x < 45 && y >= 10 && y < 20) continue;
            ASSERT_EQ(before.Pixel(x, y), after.Pixel(x, y)) << x << ", " << y;
        }
}

// The pair search's fast layout against its plain rule: over the coarse colours the method looks
// pairs up for, each palette colour and the middle of each pair (where pairs tie).
TEST(LinearLightMethods, BlueNoisePairSearchFollowsItsPlainRule) {
    for (const auto& [name, palette] : PalettesWithTies()) {
        std::vector<LinearRgb> colours;
        for (int r = 0; r < kCoarseLevels; r += 2)
            for (int g = 0; g < kCoarseLevels; g += 2)
                for (int b = 0; b < kCoarseLevels; b += 2)
                    colours.push_back(CoarseLinearOf(LevelOfCoarseIndex(r), LevelOfCoarseIndex(g), LevelOfCoarseIndex(b)));
        for (const PaletteEntry& a : palette)
            for (const PaletteEntry& b : palette) {
                const LinearRgb la = LinearOf(a), lb = LinearOf(b);
                colours.push_back(la);
                colours.push_back({(la.red + lb.red) / 2, (la.green + lb.green) / 2, (la.blue + lb.blue) / 2});
            }
        const TwoColourMixes mixes(palette);
        for (const LinearRgb& c : colours) {
            const TwoColourMix fast = mixes.Nearest(c), plain = NearestTwoColourMixPlain(palette, c);
            if (fast.first != plain.first || fast.second != plain.second || fast.share != plain.share) {
                ADD_FAILURE() << name << ", colour " << c.red << " " << c.green << " " << c.blue << ": pair " << fast.first
                              << "-" << fast.second << " at " << fast.share << ", the plain rule " << plain.first << "-"
                              << plain.second << " at " << plain.share;
                break;
            }
        }
    }
}

// The mask holds every level once, and below any level its pixels spread evenly: every 8 x 8
// window (wrapping round, as the mask tiles) holds within 4 of its share, where a shuffled mask
// (white noise) has windows 10 to 12 off at a quarter and half of the levels.
TEST(LinearLightMethods, BlueNoiseMaskHoldsEachLevelOnceAndSpreadsEveryLevelEvenly) {
    const std::vector<std::uint16_t>& mask = BlueNoiseMask();
    ASSERT_EQ(mask.size(), static_cast<std::size_t>(kBlueNoiseSize * kBlueNoiseSize));
    std::vector<int> seen(mask.size(), 0);
    for (std::uint16_t rank : mask) ++seen.at(rank);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(mask.size()));
    for (int level : {64, 512, 1024, 2048, 3072, 4032}) {
        int worst = 0;
        for (int top = 0; top < kBlueNoiseSize; ++top)
            for (int left = 0; left < kBlueNoiseSize; ++left) {
                int below = 0;
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        below += mask[((top + y) % kBlueNoiseSize) * kBlueNoiseSize + (left + x) % kBlueNoiseSize] < level;
                worst = std::max(worst, std::abs(below * 4096 - level * 64));
            }
        EXPECT_LE(worst, 4 * 4096) << "level " << level;
    }
    EXPECT_EQ(VoidAndClusterMask(16, 1.5, 7), VoidAndClusterMask(16, 1.5, 7));
}

// Of the pairs whose line meets the colour, the one of nearer colours wins; the share is the
// colour's place along it.
TEST(LinearLightMethods, TheNearestMixPrefersThePairOfNearerColours) {
    const Palette four{EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255), EntryFromRgb(145, 145, 145),
                       EntryFromRgb(0, 0, 255)};
    const TwoColourMixes mixes(four);
    const LinearRgb grey = LinearOf(EntryFromRgb(100, 100, 100));
    const TwoColourMix mix = mixes.Nearest(grey);
    EXPECT_EQ(mix.first, 0);
    EXPECT_EQ(mix.second, 2);
    EXPECT_NEAR(mix.share, SrgbToLinear(100 / 255.0) / SrgbToLinear(145 / 255.0), 1e-5);
    EXPECT_EQ(mixes.Nearest(LinearOf(four[2])).second, 2);
    EXPECT_NEAR(mixes.Nearest(LinearOf(four[2])).share, 1.0, 1e-6);
    // The same colour twice mixes as one.
    const TwoColourMix single = TwoColourMixes(Palette{four[1], four[1]}).Nearest(grey);
    EXPECT_EQ(single.first, 0);
    EXPECT_EQ(single.second, 0);
}

TEST(LinearLightMethods, AKnollPlanIsSortedDarkestFirstAndAPaletteColourPlansItself) {
    const Palette palette = TvcColours();
    const PlanMaker maker(palette, kKnollPlan);
    const LinearPalette& light = maker.Light();
    for (int index = 0; index < 16; ++index) {
        const MixingPlan plan = maker.For(LinearOf(palette[index]));
        EXPECT_EQ(std::count(plan.begin(), plan.end(), plan[0]), kPlanSize) << index;
        EXPECT_EQ(palette[plan[0]], palette[index]) << index;
    }
    const MixingPlan plan = maker.For(LinearOf(EntryFromRgb(200, 100, 30)));
    auto luminance = [&](int i) { return 0.2126 * light.Linear(i).red + 0.7152 * light.Linear(i).green + 0.0722 * light.Linear(i).blue; };
    for (int n = 1; n < kPlanSize; ++n) EXPECT_LE(luminance(plan[n - 1]), luminance(plan[n])) << n;
}

// Ottosson's values for the sRGB primaries; white is lightness 1 with no hue.
TEST(OkLab, TheSrgbPrimariesAndWhiteComeOutAsPublished) {
    const struct {
        LinearRgb colour;
        OkLab expected;
    } cases[] = {
        {{1, 1, 1}, {1, 0, 0}},
        {{0, 0, 0}, {0, 0, 0}},
        {{1, 0, 0}, {0.627955f, 0.224863f, 0.125846f}},
        {{0, 1, 0}, {0.866440f, -0.233888f, 0.179498f}},
        {{0, 0, 1}, {0.452014f, -0.032457f, -0.311528f}},
    };
    for (const auto& c : cases) {
        const OkLab got = OkLabOf(c.colour);
        EXPECT_NEAR(got.L, c.expected.L, 1e-4) << c.colour.red << " " << c.colour.green << " " << c.colour.blue;
        EXPECT_NEAR(got.a, c.expected.a, 1e-4) << c.colour.red << " " << c.colour.green << " " << c.colour.blue;
        EXPECT_NEAR(got.b, c.expected.b, 1e-4) << c.colour.red << " " << c.colour.green << " " << c.colour.blue;
    }
}

TEST(LinearLight, TheLevelTableAgreesWithTheCurveAndEveryLevelComesBack) {
    for (int step = 0; step <= kLightSteps; ++step) {
        const float linear = static_cast<float>(step) / kLightSteps;
        ASSERT_EQ(LevelOfLight(linear), LevelOfLightPlain(linear)) << step;
    }
    for (int level = 0; level < 256; ++level) EXPECT_EQ(LevelOfLight(LinearLight()[level]), level);
    EXPECT_EQ(LevelOfLight(-0.5f), 0);
    EXPECT_EQ(LevelOfLight(1.5f), 255);
}

// The fast walks against their plain twins, on a photo-like picture whose odd width puts a
// serpentine row's first pixel at the far edge.
TEST(LinearLightMethods, FastWalksFollowTheirPlainTwins) {
    using Walk = void (*)(Picture&, const Palette&);
    const struct {
        const char* name;
        Walk fast, plain;
    } walks[] = {
        {"Floyd in linear light", [](Picture& p, const Palette& c) { DiffuseInLinearLight(p, c, kFloydKernel, false); },
         [](Picture& p, const Palette& c) { DiffuseInLinearLightPlain(p, c, kFloydKernel, false); }},
        {"Stucki in linear light, serpentine",
         [](Picture& p, const Palette& c) { DiffuseInLinearLight(p, c, kStuckiKernel, true); },
         [](Picture& p, const Palette& c) { DiffuseInLinearLightPlain(p, c, kStuckiKernel, true); }},
        {"Knoll's plan", [](Picture& p, const Palette& c) { DitherKnollPattern(p, c, kKnollPlan); },
         [](Picture& p, const Palette& c) { DitherKnollPatternPlain(p, c, kKnollPlan); }},
        {"the OKLab plan", [](Picture& p, const Palette& c) { DitherKnollPattern(p, c, kOkLabPlan); },
         [](Picture& p, const Palette& c) { DitherKnollPatternPlain(p, c, kOkLabPlan); }},
    };
    const Picture photo = PhotoLike(97, 61);
    for (const auto& walk : walks)
        for (const auto& [name, palette] : PalettesWithTies()) {
            Picture fast = photo, plain = photo;
            walk.fast(fast, palette);
            walk.plain(plain, palette);
            EXPECT_EQ(fast, plain) << walk.name << ", " << name;
        }
}

}  // namespace
}  // namespace vorbix
