#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/color_count.h"
#include "dither/pattern.h"
#include "pipeline/session.h"
#include "pipeline/stopwatch.h"

namespace vorbix {
namespace {

constexpr ColorValue kGrey64 = MakeColor(64, 64, 64);

Picture Gradient(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.SetPixel(x, y, MakeColor(x * 255 / w, y * 255 / h, (x + y) % 256));
    return p;
}

std::set<ColorValue> ColoursOf(const Picture& p) {
    std::set<ColorValue> colours;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) colours.insert(p.Pixel(x, y));
    return colours;
}

TEST(Session, StartsAsTheMainWindowLoads) {
    const Session s;
    EXPECT_EQ(s.Mode(), TvcMode::Graphics16);
    EXPECT_EQ(s.Method(), 17);
    EXPECT_TRUE(s.Resize());
    EXPECT_FALSE(s.AutoPalette());
    for (int i = 0; i < kSliderCount; ++i) EXPECT_EQ(s.SliderValue(i), 50);
    EXPECT_EQ(s.PaletteInUse(), TvcColours());
    EXPECT_EQ(s.Settings().swatches2[1], MakeColor(255, 255, 255));
    EXPECT_EQ(s.Settings().swatches4[2], MakeColor(0, 0, 255));
    EXPECT_EQ(s.Settings().swatches4[3], MakeColor(255, 0, 0));
    EXPECT_EQ(s.Swatch16(9), MakeColor(0, 0, 255));
    EXPECT_EQ(s.PickedColour(), kGrey64);
    EXPECT_FALSE(s.Frame4Enabled());
    EXPECT_FALSE(s.Frame5Enabled());
    EXPECT_EQ(s.LoadedColours() + s.ResultColours() + s.Milliseconds(), 0);
    EXPECT_EQ(s.ConversionCount(), 0);
    EXPECT_EQ(s.State().patternColors[9][0], EntryFromRgb(255, 0, 0));
    EXPECT_EQ(s.SourceView(), Picture(512, 480, kGrey64));
}

TEST(Session, LoadRunsThreeConversionsPlusOnePerMovedSlider) {
    Session s;
    const Picture photo = Gradient(300, 200);
    s.Load(photo);
    EXPECT_EQ(s.ConversionCount(), 3);
    EXPECT_EQ(s.LoadedColours(), CountColors(photo));
    EXPECT_FALSE(s.AutoPalette());
    EXPECT_EQ(s.Loaded(), photo);

    s.HScroll_Change(kBrightness, 70);
    s.HScroll_Change(kContrast, 20);
    EXPECT_EQ(s.ConversionCount(), 5);
    s.Load(photo);
    EXPECT_EQ(s.ConversionCount(), 5 + 2 + 3);
    EXPECT_EQ(s.SliderValue(kBrightness), 50);
}

TEST(Session, AutoPaletteAfterALoadKeepsOnlyTheMixesThePictureUses) {
    Session s;
    Picture bw(64, 64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 32; x < 64; ++x) bw.SetPixel(x, y, MakeColor(255, 255, 255));
    s.Load(bw);
    EXPECT_EQ(s.MixesOn(), 2);
    EXPECT_EQ(s.State().patternFlags[0][0], 0);
    EXPECT_EQ(s.State().patternFlags[119][0], 0);
}

TEST(Session, EachModeInstallsItsPaletteAndSnaps) {
    Session s;
    s.Load(Gradient(200, 150));
    s.Option2_Click(0);
    EXPECT_EQ(s.PaletteInUse(), DefaultPalette2());
    EXPECT_TRUE(s.Frame5Enabled());
    EXPECT_FALSE(s.Frame4Enabled());
    EXPECT_EQ(ColoursOf(s.Preview()), (std::set<ColorValue>{0, MakeColor(255, 255, 255)}));

    s.Option2_Click(1);
    EXPECT_EQ(s.PaletteInUse(), DefaultPalette4());
    EXPECT_TRUE(s.Frame4Enabled());
    for (ColorValue c : ColoursOf(s.Preview())) EXPECT_TRUE(c == s.Settings().swatches4[0] || c == s.Settings().swatches4[1] || c == s.Settings().swatches4[2] || c == s.Settings().swatches4[3]);

    s.Option2_Click(2);
    EXPECT_EQ(s.PaletteInUse().size(), 120u) << "pattern palette rebuilt after a 4-entry palette";
    EXPECT_FALSE(s.Frame4Enabled() || s.Frame5Enabled());
    s.ChooseMethod(3);
    EXPECT_EQ(s.PaletteInUse(), TvcColours());
    EXPECT_LE(s.ResultColours(), 15);
}

TEST(Session, ResizeOnEnlargesEveryWorkPixelToABlock) {
    Session s;
    s.Load(Gradient(640, 480));
    const struct {
        int mode, bw, bh;
    } modes[] = {{0, 1, 2}, {1, 2, 2}, {2, 4, 2}};
    for (const auto& m : modes) {
        s.Option2_Click(m.mode);
        const Picture& work = s.Surface(static_cast<TvcMode>(m.mode));
        EXPECT_EQ(s.ResultColours(), CountColors(s.Preview()));
        for (int y = 0; y < 480; y += 7)
            for (int x = 0; x < 512; x += 5) ASSERT_EQ(s.Preview().Pixel(x, y), work.Pixel(x / m.bw, y / m.bh)) << m.mode;
    }
}

TEST(Session, ResizeOffCopiesTopLeftAndKeepsTheRest) {
    Session s;
    s.SetResize(false);
    const Picture small = Gradient(100, 80);
    s.Load(small);
    EXPECT_EQ(s.SourceView().Pixel(99, 79), small.Pixel(99, 79));
    EXPECT_EQ(s.SourceView().Pixel(100, 79), kGrey64);
    EXPECT_EQ(s.SourceView().Pixel(5, 80), kGrey64);
    EXPECT_EQ(s.Preview().Pixel(200, 300), kGrey64) << "the preview beyond 128 x 240 keeps what it had";
    const Picture& work = s.Surface(TvcMode::Graphics16);
    EXPECT_EQ(s.Preview().Pixel(127, 239), work.Pixel(127, 239));
    EXPECT_EQ(s.Preview().Pixel(3, 5), work.Pixel(3, 5));
    EXPECT_EQ(s.ResultColours(), CountColors(s.Preview()));
}

TEST(Session, SetMakesTheAdjustedViewTheLoadedPicture) {
    Session s;
    s.Load(Gradient(512, 480));
    const Picture original = s.SourceView();
    s.HScroll_Change(kBrightness, 20);
    s.Commit();
    s.HScroll_Change(kBrightness, 50);
    EXPECT_NE(s.SourceView(), original);
    s.HScroll_Change(kContrast, 60);
    s.HScroll_Change(kContrast, 50);
    EXPECT_EQ(s.SourceView(), s.Loaded()) << "contrast back at 50 shows the set picture";
}

TEST(Session, Command2ReducesTheSourceViewToMixColours) {
    Session s;
    s.Load(Gradient(200, 100));
    s.SnapSourceToMixes();
    EXPECT_EQ(s.PaletteInUse().size(), 120u);
    for (ColorValue c : ColoursOf(s.SourceView())) {
        const int k = NearestColorIndex(s.PaletteInUse(), GetRed(c), GetGreen(c), GetBlue(c));
        EXPECT_EQ(ColorOfEntry(s.PaletteInUse()[k]), c);
    }
}

TEST(Session, TwoClickSwatchEditReconvertsWithTheNewColour) {
    Session s;
    s.Load(Gradient(200, 100));
    s.Option2_Click(1);
    const long before = s.ConversionCount();
    s.PickColour(12);
    s.Label2_Click(3);
    EXPECT_EQ(s.ConversionCount(), before + 1);
    EXPECT_EQ(s.Settings().swatches4[3], MakeColor(0, 255, 0));
    EXPECT_EQ(s.PaletteInUse()[3], EntryFromRgb(0, 255, 0));
    EXPECT_TRUE(ColoursOf(s.Preview()).count(MakeColor(0, 255, 0)));
}

TEST(Session, ChartClicksHitTheMixBoxesOnly) {
    Session s;
    EXPECT_TRUE(s.Pic9_MouseDown(1, 485, 15));
    EXPECT_EQ(s.LastChartHit()->mix, 0);
    EXPECT_EQ(s.State().patternFlags[0][0], 1);
    EXPECT_TRUE(s.Pic9_MouseDown(1, 485, 15));
    EXPECT_EQ(s.State().patternFlags[0][0], 0);
    EXPECT_TRUE(s.Pic9_MouseDown(2, 505, 35));
    EXPECT_EQ(s.LastChartHit()->mix, 15);
    EXPECT_EQ(s.State().patternFlags[15][1], 1);
    EXPECT_EQ(s.State().patternColors[15][0], s.State().patternColors[15][1]) << "(1,1) swaps with itself";
    const long conversions = s.ConversionCount();
    for (auto [x, y] : {std::pair{460.0, 15.0}, {495.0, 15.0}, {485.0, 35.0}, {800.0, 15.0}, {485.0, 400.0}})
        EXPECT_FALSE(s.Pic9_MouseDown(1, x, y)) << x << "," << y;
    EXPECT_EQ(s.ConversionCount(), conversions);
}

TEST(Session, AllOffGivesABlackResultAndAllOnKeepsSwappedColours) {
    Session s;
    s.Load(Gradient(200, 100));
    s.Pic9_MouseDown(2, 20 * 9 + 485, 15);  // mix (0, 9)
    s.SwitchAllMixes(false);
    EXPECT_EQ(s.MixesOn(), 0);
    EXPECT_EQ(ColoursOf(s.Preview()), std::set<ColorValue>{0});
    s.SwitchAllMixes(true);
    EXPECT_EQ(s.MixesOn(), 120);
    EXPECT_EQ(s.State().patternFlags[9][1], 0);
    EXPECT_EQ(s.State().patternColors[9][0], EntryFromRgb(0, 0, 0));
}

TEST(Session, InspectorReadsTheMixTheMethodPicks) {
    Session s;
    Picture flat(64, 64, MakeColor(128, 0, 0));
    s.Load(flat);
    s.Pic2_MouseMove(100, 50);
    EXPECT_EQ(s.InspectedColor(), MakeColor(128, 0, 0));
    EXPECT_EQ(s.InspectedMix(), 9);
    EXPECT_EQ(s.InspectedMixCells()[0], MakeColor(255, 0, 0));
    EXPECT_EQ(s.InspectedMixCells()[1], 0u);
    EXPECT_EQ(s.PicZ().Pixel(60, 60), MakeColor(128, 0, 0));
    EXPECT_EQ(s.PicZZ().Pixel(60, 60), s.Preview().Pixel(100, 50));
    EXPECT_EQ(s.PicZ().Pixel(48, 48), MakeColor(255, 255, 255));
    EXPECT_EQ(s.PicZ().Pixel(47, 47), 0u);

    s.Pic2_MouseDown(1);
    s.Pic2_MouseDown(1);
    EXPECT_EQ(s.State().patternFlags[9][0], 1) << "a second left click leaves it off";
    s.Pic2_MouseDown(2);
    s.Pic2_MouseDown(2);
    EXPECT_EQ(s.State().patternFlags[9][0], 0);
    EXPECT_EQ(s.State().patternColors[9][0], EntryFromRgb(255, 0, 0)) << "two swaps restore the order";

    s.SetOutsideColor(MakeColor(1, 2, 3));
    s.Pic2_MouseMove(0, 0);
    EXPECT_EQ(s.PicZ().Pixel(10, 10), MakeColor(1, 2, 3));
    EXPECT_EQ(s.PicZZ().Pixel(119, 10), MakeColor(1, 2, 3));
    EXPECT_EQ(s.PicZ().Pixel(60, 60), MakeColor(128, 0, 0));
    const int mix = s.InspectedMix();
    s.Pic2_MouseMove(-30, 900);
    EXPECT_EQ(s.InspectedMix(), mix) << "outside the picture the readout stays";
}

TEST(Session, SaveWritesThreeFilesAndSaveAsAddsBmpOnlyWhenMissing) {
    const auto dir = std::filesystem::temp_directory_path() / "vorbix-session-save";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Session s;
    s.Load(Gradient(100, 100));
    s.Option2_Click(1);
    ASSERT_FALSE(s.Command3_Click(dir.string()));
    EXPECT_EQ(std::filesystem::file_size(dir / "out24.bmp"), 737334u);
    EXPECT_EQ(std::filesystem::file_size(dir / "screen.bin"), 16384u);
    EXPECT_EQ(std::filesystem::file_size(dir / "screen.tim"), 16400u);
    ASSERT_FALSE(s.SaveAs((dir / "sub-photo").string()));
    EXPECT_TRUE(std::filesystem::exists(dir / "sub-photo.bmp"));
    ASSERT_FALSE(s.SaveAs((dir / "again.BMP").string()));
    EXPECT_TRUE(std::filesystem::exists(dir / "again.BMP"));
    EXPECT_FALSE(std::filesystem::exists(dir / "again.BMP.bmp"));
    std::filesystem::remove_all(dir);
}

TEST(Stopwatch, WholeMillisecondsHalvesToEven) {
    const struct {
        std::int64_t counts;
        std::int32_t ms;
    } cases[] = {{5, 0}, {15, 2}, {25, 2}, {35, 4}, {16, 2}};
    for (const auto& c : cases) EXPECT_EQ(CountsToMs(c.counts, 10000), c.ms) << c.counts;
}

}  // namespace
}  // namespace vorbix
