#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "io/bmp_file.h"
#include "io/screen_file.h"

namespace vorbix {
namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const Palette kBlackWhite{EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255)};
const Palette kBlackWhiteBlueRed{EntryFromRgb(0, 0, 0), EntryFromRgb(255, 255, 255), EntryFromRgb(0, 0, 255),
                                 EntryFromRgb(255, 0, 0)};

TEST(TvcColourByte, ColourBitsForAnyComponentIntensityOnlyFor255) {
    const struct {
        int r, g, b;
        std::uint8_t byte;
    } cases[] = {{0, 0, 0, 0x00},       {145, 0, 0, 0x04},     {255, 0, 0, 0x44},   {145, 145, 145, 0x15},
                 {200, 255, 0, 0x54},   {255, 255, 255, 0x55}, {0, 0, 255, 0x41},   {255, 255, 0, 0x54},
                 {64, 64, 64, 0x15},    {0, 145, 0, 0x10}};
    for (const auto& c : cases) EXPECT_EQ(TvcColourByte(EntryFromRgb(c.r, c.g, c.b)), c.byte) << c.r << "," << c.g << "," << c.b;
    const Palette p = TvcColours();
    for (int n = 0; n < 16; ++n) {
        const int expected = (n == 8) ? 0 : ((n & 1) | ((n & 2) << 1) | ((n & 4) << 2) | ((n & 8) << 3));
        EXPECT_EQ(TvcColourByte(p[n]), expected) << n;
    }
}

TEST(TimHeader, ModeByteAndColourBytes) {
    const struct {
        TvcMode mode;
        Palette palette;
        std::array<std::uint8_t, 8> head;
    } cases[] = {
        {TvcMode::Graphics16, TvcColours(), {'T', 'I', 'M', 2, 0, 0, 0, 0}},
        {TvcMode::Graphics4, kBlackWhiteBlueRed, {'T', 'I', 'M', 1, 0x00, 0x55, 0x41, 0x44}},
        {TvcMode::Graphics2, kBlackWhite, {'T', 'I', 'M', 0, 0x00, 0x55, 0, 0}},
        {TvcMode::Graphics4,
         {EntryFromRgb(0, 0, 0), EntryFromRgb(145, 0, 0), EntryFromRgb(0, 145, 0), EntryFromRgb(255, 255, 255)},
         {'T', 'I', 'M', 1, 0x00, 0x04, 0x10, 0x55}},
        {TvcMode::Graphics4, kBlackWhite, {'T', 'I', 'M', 1, 0x00, 0x55, 0, 0}},  // missing entries: zero
        {TvcMode::Graphics2, TvcColours(), {'T', 'I', 'M', 0, 0x00, 0x01, 0, 0}},
    };
    for (const auto& c : cases) {
        const auto header = TimHeader(c.mode, c.palette);
        EXPECT_TRUE(std::equal(c.head.begin(), c.head.end(), header.begin())) << static_cast<int>(c.mode);
        EXPECT_TRUE(std::all_of(header.begin() + 8, header.end(), [](std::uint8_t b) { return b == 0; }));
    }
}

// One row of the mode's surface painted with colours by pixel, the rest entry 0.
ScreenImage FirstRow(TvcMode mode, const Palette& palette, const std::vector<int>& indexes) {
    const ModeInfo& g = ModeOf(mode);
    Picture surface(g.width, g.height, ColourOfEntry(palette[0]));
    for (int x = 0; x < g.width; ++x) surface.SetPixel(x, 0, ColourOfEntry(palette[indexes[x % indexes.size()]]));
    return EncodeScreen(mode, surface, palette);
}

TEST(EncodeScreen, PixelBitsOfEachMode) {
    const struct {
        const char* name;
        TvcMode mode;
        Palette palette;
        std::vector<int> indexes;
        std::uint8_t byte;
    } cases[] = {
        {"16: red then black", TvcMode::Graphics16, TvcColours(), {10, 0}, 0x88},
        {"16: black then red", TvcMode::Graphics16, TvcColours(), {0, 10}, 0x44},
        {"16: black as entry 8 is entry 0", TvcMode::Graphics16, TvcColours(), {8, 15}, 0x55},
        {"4: indexes 1 2 3 0", TvcMode::Graphics4, kBlackWhiteBlueRed, {1, 2, 3, 0}, 0xA6},
        {"2: indexes 1 0 0 0 0 0 0 1", TvcMode::Graphics2, kBlackWhite, {1, 0, 0, 0, 0, 0, 0, 1}, 0x81},
        {"4: duplicate colour takes the lower index",
         TvcMode::Graphics4,
         {EntryFromRgb(0, 0, 0), EntryFromRgb(9, 9, 9), EntryFromRgb(9, 9, 9), EntryFromRgb(1, 1, 1)},
         {2, 2, 2, 2},
         0xF0},
        {"2: higher index bits dropped", TvcMode::Graphics2, TvcColours(), {2, 3, 2, 3, 2, 3, 2, 3}, 0x55},
    };
    for (const auto& c : cases) {
        const ScreenImage image = FirstRow(c.mode, c.palette, c.indexes);
        for (int i = 0; i < 64; ++i) ASSERT_EQ(image[i], c.byte) << c.name << " byte " << i;
        EXPECT_EQ(image[64], 0) << c.name;
        EXPECT_TRUE(std::all_of(image.begin() + 15360, image.end(), [](std::uint8_t b) { return b == 0; }));
    }
}

class ScreenFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("vorbix-screen-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(ScreenFiles, BlackPictureGivesZerosBehindTheHeaderAndReplacesLongerFiles) {
    const auto bin = dir / "screen.bin", tim = dir / "screen.tim";
    std::ofstream(bin, std::ios::binary) << std::string(20000, 'x');
    for (TvcMode mode : {TvcMode::Graphics2, TvcMode::Graphics4, TvcMode::Graphics16}) {
        const ModeInfo& g = ModeOf(mode);
        const Palette palette = mode == TvcMode::Graphics16 ? TvcColours()
                                : mode == TvcMode::Graphics4 ? kBlackWhiteBlueRed
                                                             : kBlackWhite;
        const Status written = WriteScreenFiles(mode, Picture(g.width, g.height), palette, bin.string(), tim.string());
        ASSERT_TRUE(written.Ok()) << written.Failure().text;
        const auto binBytes = ReadAll(bin), timBytes = ReadAll(tim);
        ASSERT_EQ(binBytes.size(), 16384u);
        ASSERT_EQ(timBytes.size(), 16400u);
        EXPECT_TRUE(std::all_of(binBytes.begin(), binBytes.end(), [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(timBytes[3], g.hardwareMode);
        EXPECT_TRUE(std::equal(binBytes.begin(), binBytes.end(), timBytes.begin() + 16));
    }
}

TEST_F(ScreenFiles, BmpLayoutOfThePreview) {
    Picture picture(512, 480, MakeColour(1, 2, 3));
    picture.SetPixel(0, 0, MakeColour(200, 100, 50));
    const auto path = dir / "out24.bmp";
    const Status written = WriteBmp24(path.string(), picture);
    ASSERT_TRUE(written.Ok()) << written.Failure().text;
    const auto b = ReadAll(path);
    ASSERT_EQ(b.size(), 737334u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(b[10], 54);
    EXPECT_EQ(b[28], 24);
    // Top-left pixel sits in the last row of the file, blue first.
    const std::size_t topRow = 54 + 1536 * 479;
    EXPECT_EQ(b[topRow], 50);
    EXPECT_EQ(b[topRow + 1], 100);
    EXPECT_EQ(b[topRow + 2], 200);
    EXPECT_EQ(b[54], 3);
}

TEST_F(ScreenFiles, FailedWriteNamesThePath) {
    const auto blocker = dir / "file";
    std::ofstream(blocker) << "x";
    const std::string target = (blocker / "screen.bin").string();
    const Status written = WriteScreenFiles(TvcMode::Graphics2, Picture(512, 240), kBlackWhite, target,
                                            (blocker / "screen.tim").string());
    ASSERT_FALSE(written.Ok());
    const Error& error = written.Failure();
    EXPECT_NE(error.text.find(target), std::string::npos) << error.text;
    EXPECT_EQ(error.path, target);
    EXPECT_EQ(error.code, ENOTDIR);
}

}  // namespace
}  // namespace vorbix
