#include <gtest/gtest.h>

#include "pipeline/method_sheet.h"
#include "next_noisy_preview.h"

namespace vorbix {
namespace {

Picture Photo() {
    Picture photo(200, 150);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) photo.SetPixel(x, y, MakeColour((x * 5) % 256, y * 255 / 150, (x + 2 * y) % 256));
    return photo;
}

// Everything a window shows of the document or a later conversion reads.
void ExpectSameSession(const Session& a, const Session& b) {
    EXPECT_EQ(a.Loaded(), b.Loaded());
    EXPECT_EQ(a.SourceView(), b.SourceView());
    EXPECT_EQ(a.Preview(), b.Preview());
    for (TvcMode mode : {TvcMode::Graphics2, TvcMode::Graphics4, TvcMode::Graphics16})
        EXPECT_EQ(a.Surface(mode), b.Surface(mode));
    EXPECT_EQ(a.PaletteInUse(), b.PaletteInUse());
    EXPECT_EQ(a.Mixes(), b.Mixes());
    EXPECT_EQ(NextNoisyPreview(a), NextNoisyPreview(b));
    EXPECT_EQ(a.Settings(), b.Settings());
    EXPECT_EQ(a.Mode(), b.Mode());
    EXPECT_EQ(a.Method(), b.Method());
    for (int i = 0; i < kSliderCount; ++i)
        EXPECT_EQ(a.SliderValue(static_cast<Slider>(i)), b.SliderValue(static_cast<Slider>(i)));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.Settings().swatches4[i], b.Settings().swatches4[i]);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(a.Settings().swatches2[i], b.Settings().swatches2[i]);
    EXPECT_EQ(a.PickedColour(), b.PickedColour());
    EXPECT_EQ(a.LoadedColours(), b.LoadedColours());
    EXPECT_EQ(a.ResultColours(), b.ResultColours());
    EXPECT_EQ(a.Milliseconds(), b.Milliseconds());
    EXPECT_EQ(a.MixesOn(), b.MixesOn());
    EXPECT_EQ(a.ConversionCount(), b.ConversionCount());
}

// Loaded, adjusted, edited, and with the random sequence moved on by a noisy conversion.
Session WorkedSession() {
    Session s;
    s.Load(Photo());
    s.MoveSlider(Slider::Gamma, 65);
    s.ChooseMode(TvcMode::Graphics4);
    s.PickColour(12);
    s.SetSwatch(TvcMode::Graphics4, 2);
    s.SwapMix(1);
    s.SwitchMix(s.MixFor(s.SourceView().Pixel(300, 200)), false, false);  // the inspector's left click
    s.ChooseMethod(4);
    return s;
}

TEST(MethodSheet, LeavesTheSessionAsItWas) {
    const Session s = WorkedSession();
    const Session before = s;
    const auto tiles = ConvertWithEveryMethod(s);
    ASSERT_EQ(tiles.size(), static_cast<std::size_t>(kAllMethodCount));
    ExpectSameSession(s, before);
}

TEST(MethodSheet, EachTileIsWhatAClickOnItsButtonGives) {
    const Session s = WorkedSession();
    const auto tiles = ConvertWithEveryMethod(s);
    for (const MethodTile& tile : tiles) {
        Session clicked = s;
        clicked.ChooseMethod(tile.method);
        EXPECT_EQ(tile.preview, clicked.Preview()) << tile.method;
        EXPECT_EQ(tile.colours, clicked.ResultColours()) << tile.method;
    }
}

TEST(MethodSheet, TilesSitInTheGridWithTheirPreviewAndFrameTheChosenMethod) {
    Session s = WorkedSession();
    s.ChooseMethod(8);
    const auto tiles = ConvertWithEveryMethod(s);
    for (int scale : {1, 2, 4}) {
        SCOPED_TRACE(scale);
        const SheetLayout layout(scale);
        const Picture sheet = ComposeSheet(tiles, layout, 8);
        ASSERT_EQ(sheet.Width(), layout.Width());
        ASSERT_EQ(sheet.Height(), layout.Height(kAllMethodCount));
        const ColourValue background = sheet.Pixel(0, 0);
        for (int n = 0; n < kAllMethodCount; ++n) {
            const TileBox tile = layout.TileAt(n);
            EXPECT_EQ(layout.PositionAt(tile.left + tile.width / 2, tile.top + tile.height / 2, kAllMethodCount), n);
            EXPECT_EQ(layout.PositionAt(tile.left - 1, tile.top, kAllMethodCount), std::nullopt);
            EXPECT_EQ(sheet.Pixel(tile.left, tile.top) != background, tiles[n].method == 8) << n;
        }
        if (scale != 2) continue;
        // Graphics 4 previews are 2 x 2 blocks: halved, each tile is the method's work surface.
        for (int n : {0, 16}) {
            Session clicked = s;
            clicked.ChooseMethod(n + 1);
            const Picture& surface = clicked.Surface(TvcMode::Graphics4);
            const TileBox box = layout.PictureBox(n);
            for (int y = 0; y < box.height; y += 7)
                for (int x = 0; x < box.width; x += 5)
                    ASSERT_EQ(sheet.Pixel(box.left + x, box.top + y), surface.Pixel(x, y)) << n << ": " << x << ", " << y;
        }
    }
}

}  // namespace
}  // namespace vorbix
