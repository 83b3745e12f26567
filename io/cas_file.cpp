#include "io/cas_file.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "io/file_write.h"
#include "io/screen_file.h"
#include "io/tape_sound.h"
#include "io/zx0.h"
#include "z80/show_packed.h"
#include "z80/show_raw.h"

namespace vorbix {

namespace {

constexpr std::uint8_t Lo(int word) { return static_cast<std::uint8_t>(word & 0xFF); }
constexpr std::uint8_t Hi(int word) { return static_cast<std::uint8_t>((word >> 8) & 0xFF); }

// BASIC tokens.
constexpr std::uint8_t kPrint = 0xDD;
constexpr std::uint8_t kOpenParen = 0x96;
constexpr std::uint8_t kCloseParen = 0x95;
constexpr std::uint8_t kLineEnd = 0xFF;
constexpr std::uint8_t kProgramEnd = 0x00;

constexpr int kVideoWindow = 0x8000;

// An assembled program that shows the picture behind it, and where in it the bytes set per file lie.
struct ShowCode {
    std::span<const std::uint8_t> bytes;
    int origin;
    int modeBits;
    std::array<int, 4> colours;
};

namespace raw = z80::show_raw;
namespace packed = z80::show_packed;
constexpr ShowCode kRawCode{raw::bytes, raw::code_address, raw::mode_bits,
                            {raw::colour_0, raw::colour_1, raw::colour_2, raw::colour_3}};
constexpr ShowCode kPackedCode{packed::bytes, packed::code_address, packed::mode_bits,
                               {packed::colour_0, packed::colour_1, packed::colour_2, packed::colour_3}};
static_assert(raw::image == raw::code_address + static_cast<int>(raw::bytes.size()));
static_assert(packed::packed == packed::code_address + static_cast<int>(packed::bytes.size()));
static_assert(raw::image + kScreenBytes <= kVideoWindow, "the image must stay visible while page 2 is switched");

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
static_assert(kRawCode.origin == kCodeAddress && kPackedCode.origin == kCodeAddress,
              "the code must be assembled for the address the USR line names");

std::vector<std::uint8_t> UsrLine(int address) {
    std::vector<std::uint8_t> line{0, 1, 0, kPrint, ' ', 'U', 'S', 'R', kOpenParen};
    for (char digit : std::to_string(address)) line.push_back(static_cast<std::uint8_t>(digit));
    line.push_back(kCloseParen);
    line.push_back(kLineEnd);
    line[0] = static_cast<std::uint8_t>(line.size());
    return line;
}

std::vector<std::uint8_t> CodeFor(const ShowCode& code, TvcMode mode, const ColourBytes& colours) {
    std::vector<std::uint8_t> bytes(code.bytes.begin(), code.bytes.end());
    bytes[code.modeBits - code.origin] = ModeOf(mode).hardwareMode;
    for (int i = 0; i < 4; ++i) bytes[code.colours[i] - code.origin] = colours[i];
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> BuildCasProgram(TvcMode mode, const ScreenImage& image, const ColourBytes& colours,
                                          CasPacking packing) {
    std::vector<std::uint8_t> program = UsrLine(kCodeAddress);
    program.push_back(kProgramEnd);
    const std::vector<std::uint8_t> code = CodeFor(packing == CasPacking::Raw ? kRawCode : kPackedCode, mode, colours);
    program.insert(program.end(), code.begin(), code.end());
    if (packing == CasPacking::Raw) {
        program.insert(program.end(), image.begin(), image.end());
    } else {
        const std::vector<std::uint8_t> picture = PackZx0(std::span(image).first(kScreenRows * kScreenRowBytes));
        program.insert(program.end(), picture.begin(), picture.end());
    }

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

ProgramFile MakeProgramFile(ProgramFormat format, TvcMode mode, const ScreenImage& image, const ColourBytes& colours) {
    std::vector<std::uint8_t> raw = BuildCasProgram(mode, image, colours, CasPacking::Raw);
    std::vector<std::uint8_t> packed = BuildCasProgram(mode, image, colours, CasPacking::Packed);
    ProgramWritten facts{Warning{}, CasPacking::Raw, 0, TapeSeconds(raw)};
    const bool shorter = packed.size() < raw.size();
    if (shorter) facts.packing = CasPacking::Packed;
    std::vector<std::uint8_t>& chosen = shorter ? packed : raw;
    facts.loadSeconds = shorter ? TapeSeconds(chosen) : facts.rawLoadSeconds;
    return {format == ProgramFormat::Wav ? EncodeTapeWav(chosen) : std::move(chosen), facts};
}

Result<ProgramWritten> WriteProgramFile(const std::string& path, const ProgramFile& program) {
    if (Status saved = WriteFileWhole(path, program.bytes); !saved) return saved.Failure();
    return program.facts;
}

std::string LoadTimeText(const ProgramWritten& written) {
    const auto seconds = [](double s) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f s", s);
        return std::string(text);
    };
    std::string text = seconds(written.loadSeconds) + " to load from tape";
    if (written.packing == CasPacking::Packed) text += " (raw " + seconds(written.rawLoadSeconds) + ")";
    return text;
}

}  // namespace vorbix
