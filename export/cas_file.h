#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/palette.h"
#include "core/picture.h"
#include "export/screen_file.h"

namespace vorbix {

// A program file the TVC's cassette LOAD reads and runs: it shows one screen image until a key
// is pressed, then hands the machine back to BASIC as it found it.

constexpr int kCasHeaderBytes = 144;             // file header block and program header
constexpr std::uint16_t kCasLoadAddress = 0x19EF;  // where LOAD puts the program bytes

// The palette register bytes of the mode, as "screen.tim" holds them at offsets 4 to 7.
ColourBytes ColourBytesOf(TvcMode mode, const Palette& palette);

// The whole file: headers, the line "1 PRINT USR(n)", the machine code at n, the image last.
std::vector<std::uint8_t> BuildCasProgram(TvcMode mode, const ScreenImage& image, const ColourBytes& colours);

// Palette colours of the mode that the TVC shows differently from the converted picture
// (colours outside its 16), described in one message; empty when every colour is shown as is.
std::optional<std::string> UnshowableColours(TvcMode mode, const Palette& palette);

struct SaveReport {
    std::optional<std::string> error;    // nothing was written
    std::optional<std::string> warning;  // written, but the machine will not show it as converted
};

// Encodes the mode's work surface and writes the program file whole or not at all.
SaveReport WriteCasFile(const std::string& path, TvcMode mode, const Picture& surface, const Palette& palette);

}  // namespace vorbix
