#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include <unistd.h>

#include "draw/screen_render.h"
#include "io/screen_file.h"
#include "pipeline/save_check.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

constexpr ColourValue kBlack = MakeColour(0, 0, 0);

struct Pixel {
    int x, y;
    ColourValue colour;
};

TEST(RenderScreen, KnownBytesShowAtTheirPixelsInTheirColours) {
    const struct {
        const char* name;
        TvcMode mode;
        ColourBytes registers;
        int offset;
        std::uint8_t byte;
        std::vector<Pixel> shown;  // everything else shows the colour of a zero byte
    } cases[] = {
        {"16: bright red left, black right", TvcMode::Graphics16, {}, 0, 0x88,
         {{0, 0, MakeColour(255, 0, 0)}, {1, 0, kBlack}}},
        {"16: intensity alone is black, blue right", TvcMode::Graphics16, {}, 64 * 5 + 3, 0x81,
         {{6, 5, kBlack}, {7, 5, MakeColour(0, 0, 145)}}},
        {"16: grey left from bits 5, 3, 1", TvcMode::Graphics16, {}, 64 * 239 + 63, 0x2A,
         {{126, 239, MakeColour(145, 145, 145)}, {127, 239, kBlack}}},
        {"16: bright yellow right from bits 6, 4, 2", TvcMode::Graphics16, {}, 64 * 100 + 10, 0x54,
         {{20, 100, kBlack}, {21, 100, MakeColour(255, 255, 0)}}},
        {"4: registers 1, 2, 3, 0 at the end of the last row", TvcMode::Graphics4, {0x00, 0x55, 0x41, 0x44},
         64 * 239 + 63, 0xA6,
         {{252, 239, MakeColour(255, 255, 255)}, {253, 239, MakeColour(0, 0, 255)}, {254, 239, MakeColour(255, 0, 0)},
          {255, 239, kBlack}}},
        {"4: low bits from the high nibble", TvcMode::Graphics4, {0x15, 0x10, 0x04, 0x01}, 64 + 1, 0x10,
         {{4, 1, MakeColour(145, 145, 145)}, {7, 1, MakeColour(0, 145, 0)}}},
        {"2: bit 7 leftmost", TvcMode::Graphics2, {0x04, 0x50, 0, 0}, 64 * 10, 0x81,
         {{0, 10, MakeColour(0, 255, 0)}, {1, 10, MakeColour(145, 0, 0)}, {6, 10, MakeColour(145, 0, 0)},
          {7, 10, MakeColour(0, 255, 0)}}},
        {"2: register of intensity alone shows black", TvcMode::Graphics2, {0x40, 0x15, 0, 0}, 64 * 2 + 63, 0x41,
         {{504, 2, kBlack}, {505, 2, MakeColour(145, 145, 145)}, {511, 2, MakeColour(145, 145, 145)}}},
        {"rows past 239 are not shown", TvcMode::Graphics2, {0x00, 0x55, 0, 0}, 64 * 240, 0xFF, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScreenImage image{};
        const Picture blank = RenderScreen(c.mode, image, c.registers);
        image[c.offset] = c.byte;
        const Picture shown = RenderScreen(c.mode, image, c.registers);
        ASSERT_EQ(shown.Width(), ModeOf(c.mode).width);
        ASSERT_EQ(shown.Height(), 240);
        Picture expected = blank;
        for (const Pixel& p : c.shown) expected.SetPixel(p.x, p.y, p.colour);
        for (const Pixel& p : c.shown) EXPECT_EQ(shown.Pixel(p.x, p.y), p.colour) << p.x << ", " << p.y;
        EXPECT_EQ(shown, expected);
    }
}

// A picture of random palette colours, encoded, written as "screen.tim" bytes, parsed and shown.
TEST(RenderScreen, ShowsEveryModesExportOfPaletteColoursAsItWas) {
    const struct {
        TvcMode mode;
        Palette palette;
    } cases[] = {
        {TvcMode::Graphics16, TvcColours()},
        {TvcMode::Graphics4,
         {EntryFromRgb(0, 0, 145), EntryFromRgb(255, 255, 0), EntryFromRgb(145, 0, 145), EntryFromRgb(255, 255, 255)}},
        {TvcMode::Graphics2, {EntryFromRgb(0, 145, 145), EntryFromRgb(255, 0, 255)}},
    };
    std::mt19937 random(7);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        const ModeInfo& g = ModeOf(c.mode);
        Picture surface(g.width, g.height);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) surface.SetPixel(x, y, ColourOfEntry(c.palette[random() % c.palette.size()]));
        const ScreenImage image = EncodeScreen(c.mode, surface, c.palette);
        const auto parsed = ParseTimBytes(ScreenTimBytes(c.mode, image, c.palette));
        ASSERT_TRUE(parsed.Ok()) << parsed.Failure().text;
        const ScreenFile& file = parsed.Value();
        EXPECT_EQ(file.mode, c.mode);
        EXPECT_EQ(file.image, image);
        EXPECT_EQ(RenderScreen(file.mode, file.image, file.registers), surface);
    }
}

TEST(ParseTimBytes, RefusesWhatIsNotAScreenFile) {
    const Palette fourColours{EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255), EntryFromRgb(0, 0, 255),
                              EntryFromRgb(255, 0, 0)};
    const std::vector<std::uint8_t> good = ScreenTimBytes(TvcMode::Graphics4, ScreenImage{}, fourColours);
    auto with = [&](std::size_t at, std::uint8_t value) {
        auto bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* message;
    } cases[] = {
        {"empty", {}, "this one 0"},
        {"one byte short", {good.begin(), good.end() - 1}, "this one 16399"},
        {"one byte long", [&] { auto b = good; b.push_back(0); return b; }(), "this one 16401"},
        {"other magic", with(2, 'X'), "\"TIM\""},
        {"mode byte 4", with(3, 4), "mode byte 4"},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseTimBytes(c.bytes);
        ASSERT_FALSE(parsed.Ok()) << c.name;
        const Error& error = parsed.Failure();
        EXPECT_NE(error.text.find(c.message), std::string::npos) << c.name << ": " << error.text;
        EXPECT_EQ(error.path, "") << c.name << ": the bytes were read already";
    }
    const auto mode3 = ParseTimBytes(with(3, 3));
    ASSERT_TRUE(mode3.Ok()) << mode3.Failure().text;
    EXPECT_EQ(mode3.Value().mode, TvcMode::Graphics16);
}

class SaveCheck : public testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("vorbix_save_check_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        Picture photo(160, 120);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x) photo.SetPixel(x, y, MakeColour(x * 255 / 160, y * 2, (x * y) % 256));
        session.Load(photo);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Saves as "Save" does and checks what was written.
    std::optional<std::string> SaveAndCheck() {
        const Status saved = session.Save(SavePathsInFolder(dir.string()));
        EXPECT_TRUE(saved.Ok()) << saved.Failure().text;
        const TvcMode mode = session.Mode();
        const auto checked = CheckShownScreen((dir / "screen.tim").string(), mode, session.Surface(mode), session.PaletteInUse());
        EXPECT_TRUE(checked.Ok()) << checked.Failure().text;
        return checked.Ok() ? checked.Value() : std::nullopt;
    }

    std::filesystem::path dir;
    Session session;
};

TEST_F(SaveCheck, SilentForTvcColoursInEveryModeAndMethodKind) {
    for (TvcMode mode : {TvcMode::Graphics2, TvcMode::Graphics4, TvcMode::Graphics16})
        for (int method : {2, 3, 8, 17}) {
            session.ChooseMode(mode);
            session.ChooseMethod(method);
            EXPECT_EQ(SaveAndCheck(), std::nullopt) << ModeOf(mode).caption << ", method " << method;
        }
}

TEST_F(SaveCheck, NamesTheStartUpGreyAndCountsItsPixels) {
    session.ChooseMode(TvcMode::Graphics4);
    session.ChooseMethod(3);
    session.SetSwatch(TvcMode::Graphics4, 1);  // nothing picked yet: the start-up grey
    const Picture& surface = session.Surface(TvcMode::Graphics4);
    int grey = 0;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) grey += surface.Pixel(x, y) == MakeColour(64, 64, 64);
    ASSERT_GT(grey, 0);
    const auto report = SaveAndCheck();
    ASSERT_TRUE(report);
    EXPECT_NE(report->find("screen.tim: the TVC shows " + std::to_string(grey) + " of 61440 pixels differently: "
                           "(64, 64, 64) as (145, 145, 145) on " + std::to_string(grey) + " pixels"),
              std::string::npos)
        << *report;
    EXPECT_NE(report->find("palette colour 1 (64, 64, 64) is not a TVC colour"), std::string::npos) << *report;
    EXPECT_EQ(std::filesystem::file_size(dir / "screen.tim"), 16400u);  // written all the same
}

TEST_F(SaveCheck, NamesAPaletteLeftByAnotherMode) {
    session.ChooseMode(TvcMode::Graphics2);
    session.SnapSourceToMixes();  // the pattern palette, 120 entries, in place of the two swatches
    const auto report = SaveAndCheck();
    ASSERT_TRUE(report);
    EXPECT_NE(report->find("pixels differently"), std::string::npos) << *report;
}

TEST_F(SaveCheck, SaysWhenTheFileCannotBeReadBack) {
    const auto report = CheckShownScreen((dir / "missing.tim").string(), TvcMode::Graphics2,
                                         session.Surface(TvcMode::Graphics2),
                                         Palette{EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255)});
    ASSERT_FALSE(report);
    EXPECT_NE(report.Failure().text.find("cannot read back"), std::string::npos) << report.Failure().text;
    EXPECT_NE(report.Failure().text.find("missing.tim: no such file"), std::string::npos) << report.Failure().text;
}

}  // namespace
}  // namespace vorbix
