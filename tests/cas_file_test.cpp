#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "io/bmp_file.h"
#include "io/cas_file.h"
#include "io/screen_file.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

constexpr int kProgramStart = kCasHeaderBytes;
const ColourBytes kBasicPalette{0x00, 0x50, 0x44, 0x41};

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The palette a fresh document's swatches give.
template <std::size_t N>
Palette SwatchPalette(const std::array<ColorValue, N>& swatches) {
    Palette palette;
    for (ColorValue colour : swatches) palette.push_back(EntryFromColor(colour));
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
        for (int y = 0; y < 3; ++y) surface.SetPixel(x, y, ColorOfEntry(palette[(x + y) % palette.size()]));
    return EncodeScreen(mode, surface, palette);
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
        const std::vector<std::uint8_t> file = BuildCasProgram(c.mode, image, c.colours);
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

// Just enough of a Z80 and of the TVC's paging, ports and interrupt to run the program's code.
// An interrupt is taken after every instruction while enabled, as the ROM's would: it writes
// the paging copy back to port 02h and the border byte to port 00h.
class Machine {
public:
    static constexpr std::uint8_t kStartMode = 0xB5;  // mode 1 with other bits set that must survive
    static constexpr std::uint8_t kStartBorder = 0x2A;
    static constexpr int kStack = 0xB000;             // in the page the video memory replaces

    explicit Machine(const std::vector<std::uint8_t>& file) {
        std::copy(file.begin() + kProgramStart, file.end(), ram_.begin() + kCasLoadAddress);
        ram_[0x0003] = 0x70;
        ram_[0x0B13] = kStartMode;
        ram_[0x0B4F] = kStartBorder;
        ports_[0x02] = 0x70;
        ports_[0x06] = kStartMode;
        for (int i = 0; i < 4; ++i) ports_[0x60 + i] = kBasicPalette[i];
        video_.fill(0xEE);
        ramBefore_ = ram_;
    }

    struct Snapshot {
        ScreenImage video;
        std::array<std::uint8_t, 256> ports;
        std::uint8_t modeCopy, borderByte;
    };
    std::optional<Snapshot> atKeyWait;

    // Calls address and runs until the matching RET; fails the test on anything unexpected.
    void Call(int address) {
        sp_ = kStack;
        Push(0xFFFF);
        pc_ = address;
        for (int steps = 0; pc_ != 0xFFFF; ++steps) {
            ASSERT_LT(steps, 1000) << "runaway code";
            ASSERT_NO_FATAL_FAILURE(Step());
            if (interrupts_) {
                ports_[0x02] = ram_[0x0003];
                ports_[0x00] = ram_[0x0B4F];
            }
        }
        EXPECT_EQ(sp_, kStack);
    }

    std::uint8_t Read(int address) const {
        if (address >= 0x8000 && address < 0xC000) {
            if (ports_[0x02] == 0x50) return video_[address - 0x8000];
            EXPECT_EQ(ports_[0x02], 0x70) << "unknown paging";
        }
        return ram_[address & 0xFFFF];
    }
    void Write(int address, std::uint8_t value) {
        if (address >= 0x8000 && address < 0xC000 && ports_[0x02] == 0x50)
            video_[address - 0x8000] = value;
        else
            ram_[address & 0xFFFF] = value;
    }

    const ScreenImage& Video() const { return video_; }
    const std::array<std::uint8_t, 256>& Ports() const { return ports_; }
    bool Interrupts() const { return interrupts_; }
    int HL() const { return hl_; }
    // RAM below the video window, where the program and BASIC live.
    bool LowRamUnchanged() const { return std::equal(ram_.begin(), ram_.begin() + 0x8000, ramBefore_.begin()); }

private:
    int Fetch() { return Read(pc_++); }
    int FetchWord() {
        const int lo = Fetch();
        return lo | Fetch() << 8;
    }
    void Push(int word) {
        Write(--sp_, static_cast<std::uint8_t>(word >> 8));
        Write(--sp_, static_cast<std::uint8_t>(word));
    }
    int Pop() {
        const int lo = Read(sp_++);
        return lo | Read(sp_++) << 8;
    }

    void Step() {
        const int op = Fetch();
        switch (op) {
            case 0x3A: a_ = Read(FetchWord()); break;              // LD A,(nn)
            case 0x32: Write(FetchWord(), a_); break;              // LD (nn),A
            case 0x3E: a_ = static_cast<std::uint8_t>(Fetch()); break;
            case 0xE6: a_ &= Fetch(); break;
            case 0xF6: a_ |= Fetch(); break;
            case 0xD3: ports_[Fetch()] = a_; break;
            case 0x21: hl_ = FetchWord(); break;
            case 0x11: de_ = FetchWord(); break;
            case 0x01: bc_ = FetchWord(); break;
            case 0x36: Write(hl_, static_cast<std::uint8_t>(Fetch())); break;
            case 0xF3: interrupts_ = false; break;
            case 0xFB: interrupts_ = true; break;
            case 0xF5: Push(a_ << 8 | 0xD7); break;                // PUSH AF, flags arbitrary
            case 0xF1: a_ = static_cast<std::uint8_t>(Pop() >> 8); break;
            case 0xC9: pc_ = Pop(); break;
            case 0xED:
                ASSERT_EQ(Fetch(), 0xB0) << "only LDIR";
                do {
                    Write(de_, Read(hl_));
                    hl_ = (hl_ + 1) & 0xFFFF;
                    de_ = (de_ + 1) & 0xFFFF;
                    bc_ = (bc_ - 1) & 0xFFFF;
                } while (bc_ != 0);
                break;
            case 0xF7:  // RST 30h: the ROM service named by the next byte
                ASSERT_EQ(Fetch(), 0x91) << "only the key wait";
                ASSERT_TRUE(interrupts_) << "the key wait needs interrupts";
                ASSERT_FALSE(atKeyWait) << "one key wait";
                atKeyWait = Snapshot{video_, ports_, ram_[0x0B13], ram_[0x0B4F]};
                a_ = 0x20, bc_ = 0x1234, de_ = 0x5678, hl_ = 0x9ABC;  // the service keeps no registers
                break;
            default:
                FAIL() << "unexpected opcode " << op << " at " << pc_ - 1;
        }
    }

    std::array<std::uint8_t, 0x10000> ram_{};
    std::array<std::uint8_t, 0x10000> ramBefore_{};
    ScreenImage video_{};
    std::array<std::uint8_t, 256> ports_{};
    std::uint8_t a_ = 0;
    int bc_ = 0, de_ = 0, hl_ = 0, sp_ = 0, pc_ = 0;
    bool interrupts_ = true;
};

TEST(CasFile, ProgramShowsThePictureUntilAKeyThenGivesBasicItsScreenBack) {
    for (const ModeCase& c : kModes) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        const ScreenImage image = SmallImage(c.mode);
        const std::vector<std::uint8_t> file = BuildCasProgram(c.mode, image, c.colours);
        Machine machine(file);
        ASSERT_NO_FATAL_FAILURE(machine.Call(UsrAddress(file)));

        ASSERT_TRUE(machine.atKeyWait);
        const Machine::Snapshot& shown = *machine.atKeyWait;
        EXPECT_EQ(shown.video, image);
        const std::uint8_t mode = (Machine::kStartMode & 0xFC) | c.modeBits;
        EXPECT_EQ(shown.ports[0x06], mode);
        EXPECT_EQ(shown.modeCopy, mode);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(shown.ports[0x60 + i], c.colours[i]) << "palette register " << i;
        EXPECT_EQ(shown.borderByte, 0x00);
        EXPECT_EQ(shown.ports[0x00], 0x00);
        EXPECT_EQ(shown.ports[0x02], 0x70);

        EXPECT_TRUE(std::all_of(machine.Video().begin(), machine.Video().end(), [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(machine.Ports()[0x06], Machine::kStartMode);
        EXPECT_EQ(machine.Read(0x0B13), Machine::kStartMode);
        EXPECT_EQ(machine.Read(0x0B4F), Machine::kStartBorder);
        EXPECT_EQ(machine.Ports()[0x00], Machine::kStartBorder);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(machine.Ports()[0x60 + i], kBasicPalette[i]) << "palette register " << i;
        EXPECT_EQ(machine.Ports()[0x02], 0x70);
        EXPECT_TRUE(machine.Interrupts());
        EXPECT_EQ(machine.HL(), 0) << "PRINT USR shows 0";
        EXPECT_TRUE(machine.LowRamUnchanged());
    }
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
    s.SetSwatchColour(TvcMode::Graphics4, 2, MakeColor(64, 64, 64));
    s.Load(Picture(64, 48, MakeColor(255, 255, 255)));
    s.ChooseMode(TvcMode::Graphics4);
    const auto cas = dir / "photo.cas";
    const Result<Warning> saved = s.SaveProgram(cas.string());
    ASSERT_TRUE(saved.Ok()) << saved.Failure().text;
    const Warning& warning = saved.Value();
    ASSERT_TRUE(warning);
    EXPECT_NE(warning->find("(64, 64, 64)"), std::string::npos) << *warning;

    const Status screenSaved = s.Save(Session::SavePathsInFolder(dir.string()));
    ASSERT_TRUE(screenSaved.Ok()) << screenSaved.Failure().text;
    const auto bin = ReadAll(dir / "screen.bin"), tim = ReadAll(dir / "screen.tim");
    Machine machine(ReadAll(cas));
    ASSERT_NO_FATAL_FAILURE(machine.Call(UsrAddress(ReadAll(cas))));
    ASSERT_TRUE(machine.atKeyWait);
    EXPECT_TRUE(std::equal(bin.begin(), bin.end(), machine.atKeyWait->video.begin()));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(machine.atKeyWait->ports[0x60 + i], tim[4 + i]) << "palette register " << i;
}

TEST_F(CasFiles, UnwritablePathIsNamedAndNothingIsLeft) {
    const auto blocker = dir / "file";
    std::ofstream(blocker) << "x";
    const std::string target = (blocker / "screen.cas").string();
    const Result<Warning> saved = Session().SaveProgram(target);
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
        ASSERT_TRUE(WriteBmp24((dir / (std::string(name) + ".bmp")).string(), Picture(40, 30, MakeColor(200, 0, 0))).Ok());
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
    EXPECT_EQ(oneOutput, "");
    EXPECT_EQ(ReadAll(dir / "one" / "screen.cas").size(), ReadAll(dir / "several" / "red.cas").size());
}

TEST_F(CasFiles, ConvertedPhotoShowsOnTheEmulatedMachineInEachMode) {
    if (!RunCommand("command -v mame || test -x /usr/games/mame").first) GTEST_SKIP() << "MAME is not installed";
    const std::filesystem::path script = RunCasScript();
    if (!std::filesystem::exists(script)) GTEST_SKIP() << script << " is missing";
    for (const char* mode : {"2", "4", "16"}) {
        SCOPED_TRACE(mode);
        const auto out = dir / mode;
        const auto [converted, cliOutput] = RunCommand(std::string(VORBIX_CLI) + " --cas --mode " + mode + " --out-dir " +
                                                Quoted(out) + " " + VORBIX_SOURCE_DIR "/samples/landscape.jpg");
        ASSERT_TRUE(converted) << cliOutput;
        const auto [ran, shown] = RunCommand("python3 " + Quoted(script) + " " + Quoted(out / "screen.cas") + " " +
                                      Quoted(out / "shown.bmp") + " --expect " + Quoted(out / "screen.tim"));
        EXPECT_TRUE(ran) << shown;
        EXPECT_NE(shown.find("expect: MATCH"), std::string::npos) << shown;
    }
}

}  // namespace
}  // namespace vorbix
