#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/palette.h"
#include "core/picture.h"
#include "core/tvc.h"
#include "io/cas_file.h"
#include "io/file_write.h"
#include "io/result.h"
#include "io/save_paths.h"
#include "io/screen_file.h"

namespace vorbix {

// The result shown, as the machine would hold it: what saving, the program file and a settings
// file's digest read. A conversion makes it from its work surface and palette; an opened screen
// file gives it as it came.
struct ShownResult {
    ScreenFile screen;  // the mode, the video memory image and the colour registers
    // What "screen.tim" carries ahead of the image: an opened file's own header, byte for byte.
    std::array<std::uint8_t, kTimHeaderBytes> timHeader{};
    // Colours of the converted palette that the machine shows otherwise; none for an opened file.
    Warning unshowable;
};

ShownResult ShownConversion(TvcMode mode, const Picture& surface, const Palette& palette);
// The bytes of a headed screen file; the error says what is wrong with them.
Result<ShownResult> ShownScreenFile(const std::vector<std::uint8_t>& timBytes);

// "screen.tim" as written.
std::vector<std::uint8_t> TimFileBytes(const ShownResult& shown);
// The preview as a BMP and the screen files, to be written together.
std::vector<FileToWrite> SavedFiles(const ShownResult& shown, const Picture& preview, const SavePaths& paths);
ProgramFile ProgramFileOf(const ShownResult& shown, ProgramFormat format);

}  // namespace vorbix
