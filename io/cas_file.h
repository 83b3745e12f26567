#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/palette.h"
#include "core/picture.h"
#include "core/tvc.h"
#include "io/result.h"

namespace vorbix {

// A program file the TVC's cassette LOAD reads and runs: it shows one screen image until a key
// is pressed, then hands the machine back to BASIC as it found it. The machine code comes from
// io/z80/*.asm, assembled during the build.

constexpr int kCasHeaderBytes = 144;             // file header block and program header
constexpr std::uint16_t kCasLoadAddress = 0x19EF;  // where LOAD puts the program bytes

// How the program carries the picture.
enum class CasPacking {
    Raw,     // all 16,384 bytes as they are, copied into the video memory
    Packed,  // the 15,360 shown bytes packed with ZX0, unpacked into the video memory
};

// The whole file: headers, the line "1 PRINT USR(n)", the machine code at n, the picture last.
std::vector<std::uint8_t> BuildCasProgram(TvcMode mode, const ScreenImage& image, const ColourBytes& colours,
                                          CasPacking packing);

// How a program file is written: as the file itself, or as the sound a tape of it makes.
enum class ProgramFormat { Cas, Wav };

// A warning for the user: the file was written, but the machine will not show it as converted.
using Warning = std::optional<std::string>;

struct ProgramWritten {
    Warning warning;
    CasPacking packing = CasPacking::Raw;
    double loadSeconds = 0;     // from tape, of the program written
    double rawLoadSeconds = 0;  // of the raw program, for comparison
};

// A program file's bytes (the .cas itself or its tape sound) and what the user is told of it.
struct ProgramFile {
    std::vector<std::uint8_t> bytes;
    ProgramWritten facts;
};

// The program for a screen image, the shorter of raw and packed (raw when as long), as a .cas file
// or a tape sound, with the tape times.
ProgramFile MakeProgramFile(ProgramFormat format, TvcMode mode, const ScreenImage& image, const ColourBytes& colours);

// MakeProgramFile's bytes written whole or not at all; on success, what it tells.
Result<ProgramWritten> WriteProgramFile(const std::string& path, const ProgramFile& program);

// "31.4 s to load from tape (raw 72.1 s)", or "72.1 s to load from tape" when the raw one was written.
std::string LoadTimeText(const ProgramWritten& written);

}  // namespace vorbix
