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
// is pressed, then hands the machine back to BASIC as it found it.

constexpr int kCasHeaderBytes = 144;             // file header block and program header
constexpr std::uint16_t kCasLoadAddress = 0x19EF;  // where LOAD puts the program bytes

// The whole file: headers, the line "1 PRINT USR(n)", the machine code at n, the image last.
std::vector<std::uint8_t> BuildCasProgram(TvcMode mode, const ScreenImage& image, const ColourBytes& colours);

// A warning for the user: the file was written, but the machine will not show it as converted.
using Warning = std::optional<std::string>;

// Encodes the mode's work surface and writes the program file whole or not at all; on success,
// a warning when the palette holds colours the machine shows differently.
Result<Warning> WriteCasFile(const std::string& path, TvcMode mode, const Picture& surface, const Palette& palette);

}  // namespace vorbix
