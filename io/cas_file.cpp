#include "io/cas_file.h"

#include <algorithm>
#include <tuple>

#include "io/file_write.h"
#include "io/screen_file.h"

namespace vorbix {

namespace {

// Machine addresses and ports the program touches.
constexpr int kModeCopy = 0x0B13;    // the ROM's copy of port 06h
constexpr int kBorderByte = 0x0B4F;  // sent to the border port on every interrupt
constexpr int kPagingCopy = 0x0003;  // the ROM's copy of port 02h, written back on every interrupt
constexpr int kVideoWindow = 0x8000;
constexpr std::uint8_t kPagingPort = 0x02;
constexpr std::uint8_t kModePort = 0x06;
constexpr std::uint8_t kPalettePort = 0x60;
constexpr std::uint8_t kVideoPagedIn = 0x50;
constexpr ColourBytes kBasicPalette{0x00, 0x50, 0x44, 0x41};

// BASIC tokens.
constexpr std::uint8_t kPrint = 0xDD;
constexpr std::uint8_t kOpenParen = 0x96;
constexpr std::uint8_t kCloseParen = 0x95;
constexpr std::uint8_t kLineEnd = 0xFF;
constexpr std::uint8_t kProgramEnd = 0x00;

constexpr std::uint8_t Lo(int word) { return static_cast<std::uint8_t>(word & 0xFF); }
constexpr std::uint8_t Hi(int word) { return static_cast<std::uint8_t>((word >> 8) & 0xFF); }

struct ShowParameters {
    int imageAddress = 0;
    std::uint8_t modeBits = 0;
    ColourBytes colours{};
};

// Shows the image until a key is pressed. BASIC's mode copy and border wait on the stack;
// the ROM's paging copy, not a constant, puts the pages back as its interrupt would.
constexpr auto ShowPictureCode(const ShowParameters& p) {
    const ColourBytes& c = p.colours;
    const ColourBytes& b = kBasicPalette;
    return std::to_array<std::uint8_t>({
        0x3A, Lo(kModeCopy), Hi(kModeCopy),            // LD A,(0B13h)
        0xF5,                                          // PUSH AF
        0x3A, Lo(kBorderByte), Hi(kBorderByte),        // LD A,(0B4Fh)
        0xF5,                                          // PUSH AF
        0x3A, Lo(kModeCopy), Hi(kModeCopy),            // LD A,(0B13h)
        0xE6, 0xFC,                                    // AND FCh        keep all but the mode bits
        0xF6, p.modeBits,                              // OR mode
        0xD3, kModePort,                               // OUT (06h),A
        0x32, Lo(kModeCopy), Hi(kModeCopy),            // LD (0B13h),A
        0x3E, c[0], 0xD3, kPalettePort,                // LD A,c0 / OUT (60h),A
        0x3E, c[1], 0xD3, kPalettePort + 1,            // LD A,c1 / OUT (61h),A
        0x3E, c[2], 0xD3, kPalettePort + 2,            // LD A,c2 / OUT (62h),A
        0x3E, c[3], 0xD3, kPalettePort + 3,            // LD A,c3 / OUT (63h),A
        0x3E, 0x00,                                    // LD A,0
        0x32, Lo(kBorderByte), Hi(kBorderByte),        // LD (0B4Fh),A   black border
        0xF3,                                          // DI             no interrupt may page back mid-copy
        0x3E, kVideoPagedIn, 0xD3, kPagingPort,        // LD A,50h / OUT (02h),A
        0x21, Lo(p.imageAddress), Hi(p.imageAddress),  // LD HL,image
        0x11, Lo(kVideoWindow), Hi(kVideoWindow),      // LD DE,8000h
        0x01, Lo(kScreenBytes), Hi(kScreenBytes),      // LD BC,4000h
        0xED, 0xB0,                                    // LDIR
        0x3A, Lo(kPagingCopy), Hi(kPagingCopy),        // LD A,(0003h)
        0xD3, kPagingPort,                             // OUT (02h),A
        0xFB,                                          // EI             the key service needs interrupts
        0xF7, 0x91,                                    // RST 30h / 91h  wait for a key
        0xF3,                                          // DI
        0x3E, kVideoPagedIn, 0xD3, kPagingPort,        // LD A,50h / OUT (02h),A
        0x21, Lo(kVideoWindow), Hi(kVideoWindow),      // LD HL,8000h
        0x36, 0x00,                                    // LD (HL),0
        0x11, Lo(kVideoWindow + 1), Hi(kVideoWindow + 1),  // LD DE,8001h
        0x01, Lo(kScreenBytes - 1), Hi(kScreenBytes - 1),  // LD BC,3FFFh
        0xED, 0xB0,                                    // LDIR           clear the video memory
        0x3A, Lo(kPagingCopy), Hi(kPagingCopy),        // LD A,(0003h)
        0xD3, kPagingPort,                             // OUT (02h),A
        0xFB,                                          // EI
        0x3E, b[0], 0xD3, kPalettePort,                // BASIC's palette
        0x3E, b[1], 0xD3, kPalettePort + 1,
        0x3E, b[2], 0xD3, kPalettePort + 2,
        0x3E, b[3], 0xD3, kPalettePort + 3,
        0xF1,                                          // POP AF
        0x32, Lo(kBorderByte), Hi(kBorderByte),        // LD (0B4Fh),A   BASIC's border
        0xF1,                                          // POP AF
        0xD3, kModePort,                               // OUT (06h),A
        0x32, Lo(kModeCopy), Hi(kModeCopy),            // LD (0B13h),A   BASIC's mode
        0x21, 0x00, 0x00,                              // LD HL,0        what PRINT USR shows
        0xC9,                                          // RET
    });
}

// "1 PRINT USR(" and ")": length, line number 1, PRINT, blank, U, S, R, the brackets, line end.
constexpr int kUsrLineFixedBytes = 11;

constexpr int DecimalDigits(int n) {
    int digits = 1;
    for (; n >= 10; n /= 10) ++digits;
    return digits;
}

constexpr int CodeAddressBehindLine(int digits) { return kCasLoadAddress + kUsrLineFixedBytes + digits + 1; }

// The line names the address that its own length decides.
constexpr int FindCodeAddress() {
    int digits = 1;
    while (DecimalDigits(CodeAddressBehindLine(digits)) != digits) ++digits;
    return CodeAddressBehindLine(digits);
}

constexpr int kCodeAddress = FindCodeAddress();
constexpr int kCodeBytes = static_cast<int>(std::tuple_size_v<decltype(ShowPictureCode(ShowParameters{}))>);
constexpr int kImageAddress = kCodeAddress + kCodeBytes;
static_assert(kImageAddress + kScreenBytes <= kVideoWindow, "the image must stay visible while page 2 is switched");

std::vector<std::uint8_t> UsrLine(int address) {
    std::vector<std::uint8_t> line{0, 1, 0, kPrint, ' ', 'U', 'S', 'R', kOpenParen};
    for (char digit : std::to_string(address)) line.push_back(static_cast<std::uint8_t>(digit));
    line.push_back(kCloseParen);
    line.push_back(kLineEnd);
    line[0] = static_cast<std::uint8_t>(line.size());
    return line;
}

}  // namespace

std::vector<std::uint8_t> BuildCasProgram(TvcMode mode, const ScreenImage& image, const ColourBytes& colours) {
    std::vector<std::uint8_t> program = UsrLine(kCodeAddress);
    program.push_back(kProgramEnd);
    const auto code = ShowPictureCode({kImageAddress, ModeOf(mode).hardwareMode, colours});
    program.insert(program.end(), code.begin(), code.end());
    program.insert(program.end(), image.begin(), image.end());

    const std::size_t fileLength = kCasHeaderBytes + program.size();
    std::vector<std::uint8_t> file(fileLength, 0);
    file[0x00] = 0x11;  // unbuffered: the kind LOAD reads
    file[0x02] = Lo(static_cast<int>(fileLength / 128));
    file[0x03] = Hi(static_cast<int>(fileLength / 128));
    file[0x04] = static_cast<std::uint8_t>(fileLength % 128);
    file[0x81] = 0x01;  // a program
    file[0x82] = Lo(static_cast<int>(program.size()));
    file[0x83] = Hi(static_cast<int>(program.size()));
    file[0x84] = 0xFF;  // run as soon as loaded
    std::copy(program.begin(), program.end(), file.begin() + kCasHeaderBytes);
    return file;
}

Result<Warning> WriteCasFile(const std::string& path, TvcMode mode, const Picture& surface, const Palette& palette) {
    const ScreenImage image = EncodeScreen(mode, surface, palette);
    if (Status written = WriteFileWhole(path, BuildCasProgram(mode, image, ColourBytesOf(mode, palette))); !written)
        return written.Failure();
    return UnshowableColours(mode, palette);
}

}  // namespace vorbix
