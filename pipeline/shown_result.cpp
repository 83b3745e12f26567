#include "pipeline/shown_result.h"

#include <algorithm>

#include "io/bmp_file.h"

namespace vorbix {

ShownResult ShownConversion(TvcMode mode, const Picture& surface, const Palette& palette) {
    return {ScreenFile{mode, EncodeScreen(mode, surface, palette), ColourBytesOf(mode, palette)},
            TimHeader(mode, palette), UnshowableColours(mode, palette)};
}

Result<ShownResult> ShownScreenFile(const std::vector<std::uint8_t>& timBytes) {
    Result<ScreenFile> parsed = ParseTimBytes(timBytes);
    if (!parsed) return parsed.Failure();
    ShownResult shown{std::move(parsed.Value()), {}, Warning{}};
    std::copy_n(timBytes.begin(), kTimHeaderBytes, shown.timHeader.begin());
    return shown;
}

std::vector<std::uint8_t> TimFileBytes(const ShownResult& shown) {
    std::vector<std::uint8_t> bytes(shown.timHeader.begin(), shown.timHeader.end());
    bytes.insert(bytes.end(), shown.screen.image.begin(), shown.screen.image.end());
    return bytes;
}

std::vector<FileToWrite> SavedFiles(const ShownResult& shown, const Picture& preview, const SavePaths& paths) {
    return {{paths.bmp, EncodeBmp24(preview)}, {paths.bin, ScreenBinBytes(shown.screen.image)},
            {paths.tim, TimFileBytes(shown)}};
}

ProgramFile ProgramFileOf(const ShownResult& shown, ProgramFormat format) {
    ProgramFile program = MakeProgramFile(format, shown.screen.mode, shown.screen.image, shown.screen.registers);
    program.facts.warning = shown.unshowable;
    return program;
}

}  // namespace vorbix
