#include <gtest/gtest.h>

#include "dither/pattern.h"
#include "pipeline/convert.h"

namespace vorbix {
namespace {

Picture SourceView() {
    Picture view(kPreviewWidth, kPreviewHeight);
    for (int y = 0; y < view.Height(); ++y)
        for (int x = 0; x < view.Width(); ++x) view.SetPixel(x, y, MakeColour(x / 2, y / 2, (x + y) % 256));
    return view;
}

Canvas Blank() { return {Picture(), Picture(kPreviewWidth, kPreviewHeight, MakeColour(1, 2, 3))}; }

// Everything a conversion reads is in its arguments: the same arguments give the same result,
// and only the mixes (with "Auto Palette") and the random sequence (noisy threshold) change.
TEST(Convert, SameArgumentsSameResultAndOnlyTheNamedInputsChange) {
    const Picture view = SourceView();
    for (const Method& method : AllMethods()) {
        ConversionSettings settings;
        settings.method = method.number;
        settings.autoPalette = true;
        MixTable mixesA, mixesB;
        RandomSequence randomA, randomB;
        const Conversion a = Convert(view, settings, mixesA, randomA, Blank(), TvcColours());
        const Conversion b = Convert(view, settings, mixesB, randomB, Blank(), TvcColours());
        EXPECT_EQ(a.surface, b.surface) << method.caption;
        EXPECT_EQ(a.preview, b.preview) << method.caption;
        EXPECT_EQ(a.palette, b.palette) << method.caption;
        EXPECT_EQ(mixesA == MixTable(), method.kind != MethodKind::Pattern) << method.caption;
        EXPECT_EQ(randomA == RandomSequence(), method.kind != MethodKind::NoisyThreshold) << method.caption;
    }
}

TEST(Convert, PatternInGraphics16KeepsAMixPaletteInUseAndRebuildsAnyOther) {
    const Picture view(kPreviewWidth, kPreviewHeight, ColourOfEntry(MixColour(9)));
    ConversionSettings settings;  // Graphics 16, "Pattern TVC"
    MixTable mixes;
    RandomSequence random;
    Palette edited = PatternPalette();
    edited[9] = EntryFromRgb(0, 0, 255);  // what a swatch click can leave in the palette in use
    const Conversion kept = Convert(view, settings, mixes, random, Blank(), edited);
    EXPECT_EQ(kept.palette, edited);
    EXPECT_NE(kept.surface.Pixel(0, 0), ColourOfEntry(mixes[9].first)) << "mix 9 no longer matches its old colour";
    const Conversion rebuilt = Convert(view, settings, mixes, random, Blank(), TvcColours());
    EXPECT_EQ(rebuilt.palette, PatternPalette());
    EXPECT_EQ(rebuilt.surface.Pixel(0, 0), ColourOfEntry(mixes[9].first));
}

TEST(Convert, WithoutResizeTheResultCoversTheCornerOfThePreviewAndTheRestIsTheViewBackground) {
    ConversionSettings settings;
    settings.resize = false;
    settings.method = 3;
    MixTable mixes;
    RandomSequence random;
    const Conversion result = Convert(SourceView(), settings, mixes, random, Blank(), TvcColours());
    EXPECT_EQ(result.preview.Pixel(kPreviewWidth - 1, kPreviewHeight - 1), kViewBackground);
    EXPECT_EQ(result.preview.Pixel(127, 239), result.surface.Pixel(127, 239));
    EXPECT_EQ(result.preview.Pixel(128, 0), kViewBackground);
}

}  // namespace
}  // namespace vorbix
