#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/palette.h"
#include "core/picture.h"
#include "core/tvc.h"
#include "io/file_write.h"
#include "io/result.h"

namespace vorbix {

// The screen files: "screen.bin" is the video memory image alone, "screen.tim" the same behind a
// 16-byte header ("TIM", the mode byte, four colour bytes, eight zero bytes).

constexpr int kTimHeaderBytes = 16;
constexpr int kTimFileBytes = kTimHeaderBytes + kScreenBytes;

// The video memory image of the mode's work surface, each pixel matched back to a palette index;
// in Graphics 16 a pixel's colour byte is that of its palette entry.
ScreenImage EncodeScreen(TvcMode mode, const Picture& surface, const Palette& palette);

std::array<std::uint8_t, kTimHeaderBytes> TimHeader(TvcMode mode, const Palette& palette);
std::vector<std::uint8_t> ScreenBinBytes(const ScreenImage& image);
std::vector<std::uint8_t> ScreenTimBytes(TvcMode mode, const ScreenImage& image, const Palette& palette);

// The bare image for binPath and the headed one for timPath, to be written together.
std::vector<FileToWrite> ScreenFiles(TvcMode mode, const Picture& surface, const Palette& palette,
                                     const std::string& binPath, const std::string& timPath);

// Writes both screen files, replacing neither unless both are written.
Status WriteScreenFiles(TvcMode mode, const Picture& surface, const Palette& palette, const std::string& binPath,
                        const std::string& timPath);

// A screen file as read back: the image and what the machine needs to show it.
struct ScreenFile {
    TvcMode mode = TvcMode::Graphics16;
    ScreenImage image{};
    ColourBytes registers{};
};

// The bytes of a headed screen file; the error says what is wrong (without a path).
Result<ScreenFile> ParseTimBytes(const std::vector<std::uint8_t>& bytes);

// The bytes of a regular file no larger than a headed screen file; the error names the path.
Result<std::vector<std::uint8_t>> ReadScreenFileBytes(const std::string& path);

}  // namespace vorbix
