#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/colour_count.h"
#include "draw/magnifier.h"
#include "draw/pattern_chart.h"
#include "pipeline/session.h"
#include "pipeline/stopwatch.h"

namespace vorbix {
namespace {

constexpr ColourValue kGrey64 = MakeColour(64, 64, 64);
constexpr ColourValue kWhite = MakeColour(255, 255, 255);

Picture Gradient(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.SetPixel(x, y, MakeColour(x * 255 / w, y * 255 / h, (x + y) % 256));
    return p;
}

std::set<ColourValue> ColoursOf(const Picture& p) {
    std::set<ColourValue> colours;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) colours.insert(p.Pixel(x, y));
    return colours;
}

template <std::size_t N>
Palette PaletteOf(const std::array<ColourValue, N>& swatches) {
    Palette palette;
    for (ColourValue c : swatches) palette.push_back(EntryFromColour(c));
    return palette;
}

TEST(Session, StartsAsTheMainWindowLoads) {
    const Session s;
    EXPECT_EQ(s.Mode(), TvcMode::Graphics16);
    EXPECT_EQ(s.Method(), 17);
    EXPECT_TRUE(s.Settings().resize);
    EXPECT_FALSE(s.Settings().autoPalette);
    for (int i = 0; i < kSliderCount; ++i) EXPECT_EQ(s.SliderValue(static_cast<Slider>(i)), 50);
    EXPECT_EQ(s.PaletteInUse(), TvcColours());
    EXPECT_EQ(s.Settings().swatches2[1], MakeColour(255, 255, 255));
    EXPECT_EQ(s.Settings().swatches4[2], MakeColour(0, 0, 255));
    EXPECT_EQ(s.Settings().swatches4[3], MakeColour(255, 0, 0));
    EXPECT_EQ(s.PickedColour(), kGrey64);
    EXPECT_EQ(s.LoadedColours() + s.ResultColours() + s.Milliseconds(), 0);
    EXPECT_EQ(s.ConversionCount(), 0);
    EXPECT_EQ(s.Mixes()[9].first, EntryFromRgb(255, 0, 0));
    EXPECT_EQ(s.SourceView(), Picture(512, 480, kGrey64));

    Session picking = s;
    picking.PickColour(9);
    EXPECT_EQ(picking.PickedColour(), MakeColour(0, 0, 255));
    EXPECT_EQ(picking.ConversionCount(), 0);
}

TEST(Session, LoadRunsThreeConversionsPlusOnePerMovedSlider) {
    Session s;
    const Picture photo = Gradient(300, 200);
    s.Load(photo);
    EXPECT_EQ(s.ConversionCount(), 3);
    EXPECT_EQ(s.LoadedColours(), CountColours(photo));
    EXPECT_FALSE(s.Settings().autoPalette);
    EXPECT_EQ(s.Loaded(), photo);

    s.MoveSlider(Slider::Brightness, 70);
    s.MoveSlider(Slider::Contrast, 20);
    EXPECT_EQ(s.ConversionCount(), 5);
    s.Load(photo);
    EXPECT_EQ(s.ConversionCount(), 5 + 2 + 3);
    EXPECT_EQ(s.SliderValue(Slider::Brightness), 50);
}

TEST(Session, AutoPaletteAfterALoadKeepsOnlyTheMixesThePictureUses) {
    Session s;
    Picture bw(64, 64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 32; x < 64; ++x) bw.SetPixel(x, y, MakeColour(255, 255, 255));
    s.Load(bw);
    EXPECT_EQ(s.MixesOn(), 2);
    EXPECT_FALSE(s.Mixes()[0].off);
    EXPECT_FALSE(s.Mixes()[119].off);
}

TEST(Session, EachModeInstallsItsPaletteAndSnaps) {
    Session s;
    s.Load(Gradient(200, 150));
    s.ChooseMode(TvcMode::Graphics2);
    EXPECT_EQ(s.PaletteInUse(), PaletteOf(kDefaultSwatches2));
    EXPECT_EQ(ColoursOf(s.Preview()), (std::set<ColourValue>{0, MakeColour(255, 255, 255)}));

    s.ChooseMode(TvcMode::Graphics4);
    EXPECT_EQ(s.PaletteInUse(), PaletteOf(kDefaultSwatches4));
    for (ColourValue c : ColoursOf(s.Preview())) EXPECT_TRUE(c == s.Settings().swatches4[0] || c == s.Settings().swatches4[1] || c == s.Settings().swatches4[2] || c == s.Settings().swatches4[3]);

    s.ChooseMode(TvcMode::Graphics16);
    EXPECT_EQ(s.PaletteInUse().size(), 120u) << "pattern palette rebuilt after a 4-entry palette";
    s.ChooseMethod(3);
    EXPECT_EQ(s.PaletteInUse(), TvcColours());
    EXPECT_LE(s.ResultColours(), 15);
}

TEST(Session, ResizeOnEnlargesEveryWorkPixelToABlock) {
    Session s;
    s.Load(Gradient(640, 480));
    const struct {
        TvcMode mode;
        int bw, bh;
    } modes[] = {{TvcMode::Graphics2, 1, 2}, {TvcMode::Graphics4, 2, 2}, {TvcMode::Graphics16, 4, 2}};
    for (const auto& m : modes) {
        s.ChooseMode(m.mode);
        const Picture& work = s.Surface(m.mode);
        EXPECT_EQ(s.ResultColours(), CountColours(s.Preview()));
        for (int y = 0; y < 480; y += 7)
            for (int x = 0; x < 512; x += 5)
                ASSERT_EQ(s.Preview().Pixel(x, y), work.Pixel(x / m.bw, y / m.bh)) << ModeOf(m.mode).caption;
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
    EXPECT_EQ(s.ResultColours(), CountColours(s.Preview()));
}

TEST(Session, CommitMakesTheAdjustedViewTheLoadedPicture) {
    Session s;
    s.Load(Gradient(512, 480));
    const Picture original = s.SourceView();
    s.MoveSlider(Slider::Brightness, 20);
    s.Commit();
    s.MoveSlider(Slider::Brightness, 50);
    EXPECT_NE(s.SourceView(), original);
    s.MoveSlider(Slider::Contrast, 60);
    s.MoveSlider(Slider::Contrast, 50);
    EXPECT_EQ(s.SourceView(), s.Loaded()) << "contrast back at 50 shows the committed picture";
}

TEST(Session, SnapSourceToMixesReducesTheSourceViewToMixColours) {
    Session s;
    s.Load(Gradient(200, 100));
    s.SnapSourceToMixes();
    EXPECT_EQ(s.PaletteInUse().size(), 120u);
    for (ColourValue c : ColoursOf(s.SourceView())) {
        const int k = NearestColourIndex(s.PaletteInUse(), GetRed(c), GetGreen(c), GetBlue(c));
        EXPECT_EQ(ColourOfEntry(s.PaletteInUse()[k]), c);
    }
}

TEST(Session, PickedColourGivenToASwatchReconvertsWithTheNewColour) {
    Session s;
    s.Load(Gradient(200, 100));
    s.ChooseMode(TvcMode::Graphics4);
    const long before = s.ConversionCount();
    s.PickColour(12);
    s.SetSwatch(TvcMode::Graphics4, 3);
    EXPECT_EQ(s.ConversionCount(), before + 1);
    EXPECT_EQ(s.Settings().swatches4[3], MakeColour(0, 255, 0));
    EXPECT_EQ(s.PaletteInUse()[3], EntryFromRgb(0, 255, 0));
    EXPECT_TRUE(ColoursOf(s.Preview()).count(MakeColour(0, 255, 0)));
}

// A click on the chart: MixAt finds the box, the verb switches (left) or swaps (right) its mix.
TEST(Session, ChartClicksHitTheMixBoxesOnly) {
    Session s;
    ASSERT_EQ(MixAt(485, 15), 0);
    s.ToggleMix(0);
    EXPECT_TRUE(s.Mixes()[0].off);
    s.ToggleMix(0);
    EXPECT_FALSE(s.Mixes()[0].off);
    ASSERT_EQ(MixAt(505, 35), 15);
    s.SwapMix(15);
    EXPECT_TRUE(s.Mixes()[15].swapMarked);
    EXPECT_EQ(s.Mixes()[15].first, s.Mixes()[15].second) << "(1,1) swaps with itself";
    EXPECT_EQ(s.ConversionCount(), 3);
    for (auto [x, y] : {std::pair{460.0, 15.0}, {495.0, 15.0}, {485.0, 35.0}, {800.0, 15.0}, {485.0, 400.0}})
        EXPECT_EQ(MixAt(x, y), std::nullopt) << x << "," << y;
}

TEST(Session, AllOffGivesABlackResultAndAllOnKeepsSwappedColours) {
    Session s;
    s.Load(Gradient(200, 100));
    ASSERT_EQ(MixAt(20 * 9 + 485, 15), 9);  // mix (0, 9)
    s.SwapMix(9);
    s.SwitchAllMixes(false);
    EXPECT_EQ(s.MixesOn(), 0);
    EXPECT_EQ(ColoursOf(s.Preview()), std::set<ColourValue>{0});
    s.SwitchAllMixes(true);
    EXPECT_EQ(s.MixesOn(), 120);
    EXPECT_FALSE(s.Mixes()[9].swapMarked);
    EXPECT_EQ(s.Mixes()[9].first, EntryFromRgb(0, 0, 0));
}

// What the inspector reads from the document, and its clicks: left switches the mix off, right
// switches it on and swaps its colours.
TEST(Session, InspectorReadsTheMixTheMethodPicks) {
    Session s;
    s.Load(Picture(64, 64, MakeColour(128, 0, 0)));
    const ColourValue pointed = s.SourceView().Pixel(100, 50);
    EXPECT_EQ(pointed, MakeColour(128, 0, 0));
    const int k = s.MixFor(pointed);
    EXPECT_EQ(k, 9);
    EXPECT_EQ(s.Mixes()[k].first, EntryFromRgb(255, 0, 0));
    EXPECT_EQ(s.Mixes()[k].second, EntryFromRgb(0, 0, 0));
    // "Pattern TVC" drew that mix: a surface pixel is 4 x 2 preview pixels, the first colour where
    // column and row are both even.
    EXPECT_EQ(s.Preview().Pixel(0, 0), MakeColour(255, 0, 0));
    EXPECT_EQ(s.Preview().Pixel(4, 0), 0u);

    s.SwitchMix(k, false, false);
    s.SwitchMix(k, false, false);
    EXPECT_TRUE(s.Mixes()[k].off) << "a second left click leaves it off";
    s.SwitchMix(k, true, true);
    s.SwitchMix(k, true, true);
    EXPECT_FALSE(s.Mixes()[k].off);
    EXPECT_EQ(s.Mixes()[k].first, EntryFromRgb(255, 0, 0)) << "two swaps restore the order";
}

// The inspector's magnifiers over the document's pictures: the 5 x 5 block around the pointer.
TEST(Magnifier, ShowsTheBlockAroundThePointFramedAndTheOutsideBeyondTheEdge) {
    Session s;
    s.Load(Picture(64, 64, MakeColour(128, 0, 0)));
    const ColourValue outside = MakeColour(1, 2, 3), black = 0;
    Picture source, result;
    DrawMagnifier(source, s.SourceView(), 100 - 2, 50 - 2, outside, kWhite, black);
    DrawMagnifier(result, s.Preview(), 100 - 2, 50 - 2, outside, black, kWhite);
    EXPECT_EQ(source.Width(), kMagnifierSize);
    EXPECT_EQ(source.Pixel(60, 60), MakeColour(128, 0, 0));
    EXPECT_EQ(result.Pixel(60, 60), s.Preview().Pixel(100, 50));
    EXPECT_EQ(source.Pixel(48, 48), kWhite);
    EXPECT_EQ(source.Pixel(47, 47), black);
    EXPECT_EQ(result.Pixel(48, 48), black);
    EXPECT_EQ(result.Pixel(47, 47), kWhite);

    DrawMagnifier(source, s.SourceView(), 0 - 2, 0 - 2, outside, kWhite, black);
    DrawMagnifier(result, s.Preview(), 0 - 2, 0 - 2, outside, black, kWhite);
    EXPECT_EQ(source.Pixel(10, 10), outside);
    EXPECT_EQ(result.Pixel(119, 10), outside);
    EXPECT_EQ(source.Pixel(60, 60), MakeColour(128, 0, 0));
}

TEST(Session, SaveWritesThreeFilesAndSaveAsAddsBmpOnlyWhenMissing) {
    const auto dir = std::filesystem::temp_directory_path() / "vorbix-session-save";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Session s;
    s.Load(Gradient(100, 100));
    s.ChooseMode(TvcMode::Graphics4);
    ASSERT_TRUE(s.Save(SavePathsInFolder(dir.string())).Ok());
    EXPECT_EQ(std::filesystem::file_size(dir / "out24.bmp"), 737334u);
    EXPECT_EQ(std::filesystem::file_size(dir / "screen.bin"), 16384u);
    EXPECT_EQ(std::filesystem::file_size(dir / "screen.tim"), 16400u);
    ASSERT_TRUE(s.Save(SaveAsPaths((dir / "sub-photo").string())).Ok());
    EXPECT_TRUE(std::filesystem::exists(dir / "sub-photo.bmp"));
    ASSERT_TRUE(s.Save(SaveAsPaths((dir / "again.BMP").string())).Ok());
    EXPECT_TRUE(std::filesystem::exists(dir / "again.BMP"));
    EXPECT_FALSE(std::filesystem::exists(dir / "again.BMP.bmp"));
    const SavePaths beside = SaveAsPaths("/pictures/photo");
    EXPECT_EQ(beside.bin, "/pictures/screen.bin");
    EXPECT_EQ(beside.tim, "/pictures/screen.tim");
    std::filesystem::remove_all(dir);
}

// Saving reads the shown result alone: a conversion and the screen file it saved, opened again,
// write the same files and the same program, and an opened file keeps its own header.
TEST(Session, OpenedScreenFileSavesAsTheConversionItCameFrom) {
    for (TvcMode mode : {TvcMode::Graphics2, TvcMode::Graphics4, TvcMode::Graphics16}) {
        SCOPED_TRACE(ModeOf(mode).caption);
        Session converted;
        converted.ChooseMode(mode);
        converted.ChooseMethod(2);  // the machine's own colours, so that the previews agree too
        converted.Load(Gradient(100, 100));
        Session opened;
        ASSERT_TRUE(opened.ShowScreenFile(converted.ScreenTimFileBytes()).Ok());
        const SavePaths paths = SavePathsInFolder("pictures");
        const std::vector<FileToWrite> fromConversion = converted.SaveFiles(paths);
        const std::vector<FileToWrite> fromFile = opened.SaveFiles(paths);
        ASSERT_EQ(fromFile.size(), fromConversion.size());
        for (std::size_t i = 0; i < fromFile.size(); ++i) {
            EXPECT_EQ(fromFile[i].path, fromConversion[i].path);
            EXPECT_TRUE(fromFile[i].bytes == fromConversion[i].bytes) << fromFile[i].path;
        }
        EXPECT_EQ(opened.ProgramFileBytes(ProgramFormat::Cas).bytes, converted.ProgramFileBytes(ProgramFormat::Cas).bytes);
    }
    std::vector<std::uint8_t> odd = Session().ScreenTimFileBytes();
    odd[3] = 3;  // shown as Graphics 16
    odd[9] = 0x5A;
    Session opened;
    ASSERT_TRUE(opened.ShowScreenFile(odd).Ok());
    EXPECT_EQ(opened.ScreenTimFileBytes(), odd);
    EXPECT_EQ(opened.Shown().screen.mode, TvcMode::Graphics16);
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
