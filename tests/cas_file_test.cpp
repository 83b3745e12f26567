#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <string>

#include <unistd.h>

#include "io/bmp_file.h"
#include "io/cas_file.h"
#include "io/picture_decode.h"
#include "io/screen_file.h"
#include "io/tape_sound.h"
#include "io/zx0.h"
#include "pipeline/session.h"
#include "tests/tvc_machine.h"
#include "z80/show_packed.h"

namespace vorbix {
namespace {

constexpr int kProgramStart = kCasHeaderBytes;
constexpr int kShownBytes = kScreenRows * kScreenRowBytes;
constexpr int kFloyd = 2;

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The palette a fresh document's swatches give.
template <std::size_t N>
Palette SwatchPalette(const std::array<ColourValue, N>& swatches) {
    Palette palette;
    for (ColourValue colour : swatches) palette.push_back(EntryFromColour(colour));
    return palette;
}

Palette PaletteOf(TvcMode mode) {
    switch (mode) {
        case TvcMode::Graphics2: return SwatchPalette(kDefaultSwatches2);
        case TvcMode::Graphics4: return SwatchPalette(kDefaultSwatches4);
        case TvcMode::Graphics16: break;
    }
    return TvcColours();
}

// A few pixels of every palette colour in the top-left corner, encoded as the screen files do.
ScreenImage SmallImage(TvcMode mode) {
    const ModeInfo& g = ModeOf(mode);
    const Palette palette = PaletteOf(mode);
    Picture surface(g.width, g.height);
    for (int x = 0; x < 24; ++x)
        for (int y = 0; y < 3; ++y) surface.SetPixel(x, y, ColourOfEntry(palette[(x + y) % palette.size()]));
    return EncodeScreen(mode, surface, palette);
}

// "" when equal, else where the first byte differs.
std::string FirstDifference(const std::vector<std::uint8_t>& got, const std::vector<std::uint8_t>& want) {
    if (got.size() != want.size()) return std::to_string(got.size()) + " bytes, not " + std::to_string(want.size());
    const auto [g, w] = std::mismatch(got.begin(), got.end(), want.begin());
    if (g == got.end()) return "";
    return "byte " + std::to_string(g - got.begin()) + " is " + std::to_string(*g) + ", not " + std::to_string(*w);
}

// The n of "1 PRINT USR(n)".
int UsrAddress(const std::vector<std::uint8_t>& file) {
    const auto digits = file.begin() + kProgramStart + 9;
    return std::stoi(std::string(digits, std::find(digits, file.end(), 0x95)));
}

struct ModeCase {
    TvcMode mode;
    ColourBytes colours;
    std::uint8_t modeBits;
};
const ModeCase kModes[] = {
    {TvcMode::Graphics2, {0x00, 0x55, 0x00, 0x00}, 0},
    {TvcMode::Graphics4, {0x00, 0x55, 0x41, 0x44}, 1},
    {TvcMode::Graphics16, {0x00, 0x00, 0x00, 0x00}, 2},
};

TEST(CasFile, HeadersUsrLineAndImageOfEachMode) {
    for (const ModeCase& c : kModes) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        const ScreenImage image = SmallImage(c.mode);
        ASSERT_EQ(ColourBytesOf(c.mode, PaletteOf(c.mode)), c.colours);
        const std::vector<std::uint8_t> file = BuildCasProgram(c.mode, image, c.colours, CasPacking::Raw);
        const std::size_t length = file.size();

        EXPECT_EQ(file[0x00], 0x11);
        EXPECT_EQ(file[0x01], 0x00);
        EXPECT_EQ((file[0x02] | file[0x03] << 8) * 128 + file[0x04], length);
        EXPECT_TRUE(std::all_of(file.begin() + 0x05, file.begin() + 0x81, [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(file[0x81], 0x01);
        EXPECT_EQ(file[0x82] | file[0x83] << 8, length - kCasHeaderBytes);
        EXPECT_EQ(file[0x84], 0xFF);
        EXPECT_TRUE(std::all_of(file.begin() + 0x85, file.begin() + 0x90, [](std::uint8_t b) { return b == 0; }));

        const std::vector<std::uint8_t> line(file.begin() + kProgramStart, file.begin() + kProgramStart + 15);
        const std::vector<std::uint8_t> expected{0x0F, 0x01, 0x00, 0xDD, ' ', 'U', 'S', 'R', 0x96,
                                                 '6',  '6',  '5',  '5',  0x95, 0xFF};
        EXPECT_EQ(line, expected);
        EXPECT_EQ(file[kProgramStart + 15], 0x00) << "end of the BASIC program";
        EXPECT_EQ(UsrAddress(file), kCasLoadAddress + line[0] + 1) << "USR calls the byte behind the end marker";

        ASSERT_GT(length, static_cast<std::size_t>(kCasHeaderBytes + 16 + kScreenBytes));
        EXPECT_TRUE(std::equal(image.begin(), image.end(), file.end() - kScreenBytes));
        EXPECT_LT(kCasLoadAddress + length - kCasHeaderBytes, 0x8000u) << "must stay visible while paging";
    }
}

// The bytes a packed program keeps for itself while it runs: BASIC's stack pointer and its own stack.
const std::vector<std::pair<int, int>> kPackedScratch{
    {z80::show_packed::saved_sp, z80::show_packed::saved_sp + 2},
    {z80::show_packed::stack_top - 6, z80::show_packed::stack_top}};

TEST(CasFile, ProgramShowsThePictureUntilAKeyThenGivesBasicItsScreenBack) {
    for (const ModeCase& c : kModes)
        for (const CasPacking packing : {CasPacking::Raw, CasPacking::Packed}) {
            SCOPED_TRACE(static_cast<int>(c.mode));
            SCOPED_TRACE(packing == CasPacking::Raw ? "raw" : "packed");
            const ScreenImage image = SmallImage(c.mode);
            const std::vector<std::uint8_t> file = BuildCasProgram(c.mode, image, c.colours, packing);
            TvcMachine machine(file);
            ASSERT_EQ(machine.Call(UsrAddress(file)), "");

            ASSERT_TRUE(machine.atKeyWait);
            const TvcMachine::Snapshot& shown = *machine.atKeyWait;
            EXPECT_TRUE(std::equal(image.begin(), image.begin() + kShownBytes, shown.video.begin()));
            if (packing == CasPacking::Raw) {
                EXPECT_EQ(shown.video, image);
            }
            const std::uint8_t mode = (TvcMachine::kStartMode & 0xFC) | c.modeBits;
            EXPECT_EQ(shown.ports[0x06], mode);
            EXPECT_EQ(shown.modeCopy, mode);
            for (int i = 0; i < 4; ++i) EXPECT_EQ(shown.ports[0x60 + i], c.colours[i]) << "palette register " << i;
            EXPECT_EQ(shown.borderByte, 0x00);
            EXPECT_EQ(shown.ports[0x00], 0x00);
            EXPECT_EQ(shown.ports[0x02], 0x70);

            EXPECT_TRUE(std::all_of(machine.Video().begin(), machine.Video().end(), [](std::uint8_t b) { return b == 0; }));
            EXPECT_EQ(machine.Ports()[0x06], TvcMachine::kStartMode);
            EXPECT_EQ(machine.Read(0x0B13), TvcMachine::kStartMode);
            EXPECT_EQ(machine.Read(0x0B4F), TvcMachine::kStartBorder);
            EXPECT_EQ(machine.Ports()[0x00], TvcMachine::kStartBorder);
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(machine.Ports()[0x60 + i], TvcMachine::kBasicPalette[i]) << "palette register " << i;
            EXPECT_EQ(machine.Ports()[0x02], 0x70);
            EXPECT_TRUE(machine.Interrupts());
            EXPECT_EQ(machine.HL(), 0) << "PRINT USR shows 0";
            EXPECT_TRUE(machine.LowRamUnchangedBut(packing == CasPacking::Packed ? kPackedScratch
                                                                                 : std::vector<std::pair<int, int>>{}));
        }
}

// The shown part of screens that are hard on a packer in different ways, and real ones.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> PackingFixtures() {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> fixtures{
        {"all zero", std::vector<std::uint8_t>(kShownBytes, 0x00)},
        {"all FFh", std::vector<std::uint8_t>(kShownBytes, 0xFF)},
    };
    std::mt19937 random(15);
    std::vector<std::uint8_t> noise(kShownBytes), pattern(kShownBytes);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
    fixtures.emplace_back("random bytes", noise);
    // A period longer than the packer looks back, of runs and single bytes.
    std::vector<std::uint8_t> period(2500);
    for (std::size_t i = 0; i < period.size(); ++i) period[i] = static_cast<std::uint8_t>(i % 7 == 0 ? random() : i / 50);
    for (int i = 0; i < kShownBytes; ++i) pattern[i] = period[i % period.size()];
    fixtures.emplace_back("pattern of period 2500", pattern);
    const Result<Picture> landscape = ReadPicture(VORBIX_SOURCE_DIR "/samples/landscape.jpg");
    EXPECT_TRUE(landscape.Ok());
    for (const TvcMode mode : {TvcMode::Graphics2, TvcMode::Graphics4, TvcMode::Graphics16}) {
        Session session;
        session.ChooseMode(mode);
        session.ChooseMethod(kFloyd);
        session.Load(landscape.Value());
        const ScreenImage image = EncodeScreen(mode, session.Surface(mode), session.PaletteInUse());
        fixtures.emplace_back("landscape, Floyd, Graphics " + std::to_string(ModeOf(mode).number),
                              std::vector<std::uint8_t>(image.begin(), image.begin() + kShownBytes));
    }
    return fixtures;
}

TEST(CasFile, PackedScreensUnpackToTheSameBytesInCAndOnTheZ80) {
    for (const auto& [name, shown] : PackingFixtures()) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> packed = PackZx0(shown);
        const auto unpacked = UnpackZx0(packed, kScreenBytes);
        ASSERT_TRUE(unpacked);
        EXPECT_EQ(FirstDifference(*unpacked, shown), "");

        ScreenImage image{};
        std::copy(shown.begin(), shown.end(), image.begin());
        const std::vector<std::uint8_t> file =
            BuildCasProgram(TvcMode::Graphics16, image, {0, 0, 0, 0}, CasPacking::Packed);
        EXPECT_TRUE(std::equal(packed.begin(), packed.end(), file.end() - packed.size())) << "the packed bytes close the file";
        TvcMachine machine(file);
        ASSERT_EQ(machine.Call(UsrAddress(file)), "");
        ASSERT_TRUE(machine.atKeyWait);
        const std::vector<std::uint8_t> onZ80(machine.atKeyWait->video.begin(), machine.atKeyWait->video.begin() + kShownBytes);
        EXPECT_EQ(FirstDifference(onZ80, shown), "");
        EXPECT_TRUE(std::all_of(machine.atKeyWait->video.begin() + kShownBytes, machine.atKeyWait->video.end(),
                                [](std::uint8_t b) { return b == 0xEE; }))
            << "the bytes never shown are left alone";
        EXPECT_LT(machine.atKeyWait->tStates, TvcMachine::kClockHz) << "under a second on the machine";
        EXPECT_TRUE(machine.LowRamUnchangedBut(kPackedScratch));
    }
}

TEST(CasFile, MalformedPackedStreamsAreRefused) {
    const std::vector<std::uint8_t> packed = PackZx0(std::vector<std::uint8_t>(300, 7));
    ASSERT_EQ(UnpackZx0(packed, 300), std::vector<std::uint8_t>(300, 7));
    EXPECT_FALSE(UnpackZx0(packed, 299)) << "longer than the limit";
    for (std::size_t cut = 0; cut < packed.size(); ++cut)
        EXPECT_FALSE(UnpackZx0(std::span(packed).first(cut), 300)) << "cut to " << cut << " bytes";
    // Literals of one byte, then a copy 2 bytes back: before the start.
    EXPECT_FALSE(UnpackZx0(std::vector<std::uint8_t>{0x60, 0x41, 0xFA, 0x00}, 300));
    EXPECT_TRUE(PackZx0({}).empty());
}

// A screen packs at worst a few dozen bytes longer than it is, and leaves out the 1,024 bytes
// never shown, so the packed program is the shorter even for noise.
TEST(CasFile, TheShorterProgramIsWrittenWithItsTapeTimeAndTheRawOne) {
    Picture flat(128, 240, MakeColour(0, 0, 0)), noisy(128, 240);
    std::mt19937 random(4);
    const Palette colours = TvcColours();
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 128; ++x) noisy.SetPixel(x, y, ColourOfEntry(colours[random() % 16]));
    const auto dir = std::filesystem::temp_directory_path() / ("vorbix-shorter-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (const Picture* surface : {&flat, &noisy}) {
        SCOPED_TRACE(surface == &flat ? "flat" : "noise");
        const std::string path = (dir / "picture.cas").string();
        const ScreenImage image = EncodeScreen(TvcMode::Graphics16, *surface, colours);
        const Result<ProgramWritten> written =
            WriteProgramFile(path, MakeProgramFile(ProgramFormat::Cas, TvcMode::Graphics16, image, {0, 0, 0, 0}));
        ASSERT_TRUE(written.Ok()) << written.Failure().text;
        const auto raw = BuildCasProgram(TvcMode::Graphics16, image, {0, 0, 0, 0}, CasPacking::Raw);
        const auto packed = BuildCasProgram(TvcMode::Graphics16, image, {0, 0, 0, 0}, CasPacking::Packed);
        ASSERT_LT(packed.size(), raw.size());
        EXPECT_EQ(written.Value().packing, CasPacking::Packed);
        const auto file = ReadAll(path);
        EXPECT_EQ(file, packed);
        EXPECT_DOUBLE_EQ(written.Value().loadSeconds, TapeSeconds(packed));
        EXPECT_DOUBLE_EQ(written.Value().rawLoadSeconds, TapeSeconds(raw));
        EXPECT_LT(written.Value().loadSeconds, written.Value().rawLoadSeconds);
        EXPECT_NE(LoadTimeText(written.Value()).find(" s to load from tape (raw "), std::string::npos);
    }
    std::filesystem::remove_all(dir);
}

TEST(CasFile, ColoursTheMachineCannotShowAreNamed) {
    const PaletteEntry grey64 = EntryFromRgb(64, 64, 64);
    const struct {
        const char* name;
        TvcMode mode;
        Palette palette;
        std::vector<std::string> named;  // empty: no warning
        std::string unnamed = "colour 2";
    } cases[] = {
        {"default 2", TvcMode::Graphics2, PaletteOf(TvcMode::Graphics2), {}},
        {"default 4", TvcMode::Graphics4, PaletteOf(TvcMode::Graphics4), {}},
        {"16 colours", TvcMode::Graphics16, TvcColours(), {}},
        {"mixes of the pattern method", TvcMode::Graphics16, Palette(120, grey64), {}},
        {"normal intensity", TvcMode::Graphics4,
         {EntryFromRgb(145, 0, 0), EntryFromRgb(0, 145, 145), EntryFromRgb(255, 255, 255), EntryFromRgb(0, 0, 0)}, {}},
        {"start-up grey", TvcMode::Graphics4,
         {EntryFromRgb(0, 0, 0), grey64, EntryFromRgb(0, 0, 255), EntryFromRgb(200, 255, 0)},
         {"colour 1 (64, 64, 64)", "(145, 145, 145)", "colour 3 (200, 255, 0)", "(255, 255, 0)"},
         "colour 0"},
        {"only the entries the mode uses", TvcMode::Graphics2, {EntryFromRgb(0, 0, 0), grey64, grey64}, {"colour 1 "}},
    };
    for (const auto& c : cases) {
        const auto warning = UnshowableColours(c.mode, c.palette);
        ASSERT_EQ(warning.has_value(), !c.named.empty()) << c.name << ": " << warning.value_or("");
        if (!warning) continue;
        for (const std::string& part : c.named) EXPECT_NE(warning->find(part), std::string::npos) << c.name << ": " << *warning;
        EXPECT_EQ(warning->find(c.unnamed), std::string::npos) << c.name << ": " << *warning;
    }
}

class CasFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("vorbix-cas-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
               std::to_string(getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(CasFiles, SessionSavesTheSelectedModeAndWarnsAboutAGreySwatch) {
    Session s;
    s.SetSwatchColour(TvcMode::Graphics4, 2, MakeColour(64, 64, 64));
    s.Load(Picture(64, 48, MakeColour(255, 255, 255)));
    s.ChooseMode(TvcMode::Graphics4);
    const auto cas = dir / "photo.cas";
    const Result<ProgramWritten> saved = s.SaveProgram(cas.string());
    ASSERT_TRUE(saved.Ok()) << saved.Failure().text;
    const Warning& warning = saved.Value().warning;
    ASSERT_TRUE(warning);
    EXPECT_NE(warning->find("(64, 64, 64)"), std::string::npos) << *warning;

    const Status screenSaved = s.Save(SavePathsInFolder(dir.string()));
    ASSERT_TRUE(screenSaved.Ok()) << screenSaved.Failure().text;
    const auto bin = ReadAll(dir / "screen.bin"), tim = ReadAll(dir / "screen.tim");
    TvcMachine machine(ReadAll(cas));
    ASSERT_EQ(machine.Call(UsrAddress(ReadAll(cas))), "");
    ASSERT_TRUE(machine.atKeyWait);
    EXPECT_TRUE(std::equal(bin.begin(), bin.begin() + kShownBytes, machine.atKeyWait->video.begin()));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(machine.atKeyWait->ports[0x60 + i], tim[4 + i]) << "palette register " << i;
}

TEST_F(CasFiles, UnwritablePathIsNamedAndNothingIsLeft) {
    const auto blocker = dir / "file";
    std::ofstream(blocker) << "x";
    const std::string target = (blocker / "screen.cas").string();
    const Result<ProgramWritten> saved = Session().SaveProgram(target);
    ASSERT_FALSE(saved.Ok());
    const Error& error = saved.Failure();
    EXPECT_NE(error.text.find(target), std::string::npos) << error.text;
    EXPECT_EQ(error.path, target);
    EXPECT_EQ(error.code, ENOTDIR);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
}

std::string RunCasScript() {
    const char* fromEnvironment = std::getenv("VORBIX_RUN_CAS");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : VORBIX_RUN_CAS;
}

std::string Quoted(const std::filesystem::path& path) {
    std::string text = "'";
    text += path.string();
    return text += "'";
}

// What the command printed on stdout and stderr, and whether it exited 0.
std::pair<bool, std::string> RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return {false, "cannot start " + command};
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    return {pclose(pipe) == 0, output};
}

TEST_F(CasFiles, CommandLineNamesTheFilesAndWarnsOnStderr) {
    for (const char* name : {"red", "blue"})
        ASSERT_TRUE(WriteBmp24((dir / (std::string(name) + ".bmp")).string(), Picture(40, 30, MakeColour(200, 0, 0))).Ok());
    const std::string cli = std::string(VORBIX_CLI) + " --cas --mode 4 --palette4 000000,404040,0000FF,FF0000";
    const auto [several, severalOutput] =
        RunCommand(cli + " --out-dir " + Quoted(dir / "several") + " " + Quoted(dir / "red.bmp") + " " + Quoted(dir / "blue.bmp"));
    ASSERT_TRUE(several) << severalOutput;
    for (const char* name : {"red.cas", "blue.cas"}) EXPECT_TRUE(std::filesystem::exists(dir / "several" / name)) << name;
    EXPECT_NE(severalOutput.find("warning: " + (dir / "several" / "red.cas").string()), std::string::npos) << severalOutput;
    EXPECT_NE(severalOutput.find("(64, 64, 64)"), std::string::npos) << severalOutput;

    const auto [one, oneOutput] = RunCommand(std::string(VORBIX_CLI) + " --cas --out-dir " + Quoted(dir / "one") + " " +
                                             Quoted(dir / "red.bmp"));
    ASSERT_TRUE(one) << oneOutput;
    const std::regex loadTime("vorbix-cli: " + (dir / "one" / "screen.cas").string() +
                              R"(: (\d+\.\d) s to load from tape \(raw (\d+\.\d) s\)\n)");
    std::smatch times;
    ASSERT_TRUE(std::regex_match(oneOutput, times, loadTime)) << "only the tape time: " << oneOutput;
    EXPECT_LT(std::stod(times[1]), std::stod(times[2]) / 2) << "a plain red picture packs well";
    EXPECT_EQ(ReadAll(dir / "one" / "screen.cas")[0], 0x11);
}

TEST_F(CasFiles, CommandLineWritesTheTapeSoundAndGivesTheLoadTimeInJson) {
    ASSERT_TRUE(WriteBmp24((dir / "red.bmp").string(), Picture(40, 30, MakeColour(200, 0, 0))).Ok());
    const auto [ran, output] = RunCommand(std::string(VORBIX_CLI) + " --cas --wav --json --out-dir " + Quoted(dir) + " " +
                                          Quoted(dir / "red.bmp") + " 2>/dev/null");
    ASSERT_TRUE(ran) << output;
    const auto cas = ReadAll(dir / "screen.cas"), wav = ReadAll(dir / "screen.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    const long long samples = wav[40] | wav[41] << 8 | wav[42] << 16 | wav[43] << 24;
    EXPECT_EQ(samples, std::llround(TapeSeconds(cas) * kTapeSampleRate));
    char expected[64];
    std::snprintf(expected, sizeof expected, "\"load_seconds\":%g", std::round(TapeSeconds(cas) * 10) / 10);
    EXPECT_NE(output.find(expected), std::string::npos) << expected << " in " << output;
    EXPECT_NE(output.find("screen.wav\"]"), std::string::npos) << output;
}

TEST_F(CasFiles, ConvertedPhotoShowsOnTheEmulatedMachineInEachMode) {
    if (!RunCommand("command -v mame || test -x /usr/games/mame").first) GTEST_SKIP() << "MAME is not installed";
    const std::filesystem::path script = RunCasScript();
    if (!std::filesystem::exists(script)) GTEST_SKIP() << script << " is missing";
    for (const char* mode : {"2", "4", "16"}) {
        SCOPED_TRACE(mode);
        const auto out = dir / mode;
        const auto [converted, cliOutput] = RunCommand(std::string(VORBIX_CLI) + " --cas --wav --mode " + mode +
                                                       " --out-dir " + Quoted(out) + " " +
                                                       VORBIX_SOURCE_DIR "/samples/landscape.jpg");
        ASSERT_TRUE(converted) << cliOutput;
        EXPECT_LT(ReadAll(out / "screen.cas").size(), static_cast<std::size_t>(kScreenBytes)) << "packed";
        for (const char* file : {"screen.cas", "screen.wav"}) {
            SCOPED_TRACE(file);
            const auto [ran, shown] = RunCommand("python3 " + Quoted(script) + " " + Quoted(out / file) + " " +
                                                 Quoted(out / "shown.bmp") + " --expect " + Quoted(out / "screen.tim"));
            EXPECT_TRUE(ran) << shown;
            EXPECT_NE(shown.find("expect: MATCH"), std::string::npos) << shown;
        }
    }
}

}  // namespace
}  // namespace vorbix
