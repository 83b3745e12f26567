#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

namespace vorbix {

struct FileToWrite {
    std::string path;
    std::vector<std::uint8_t> bytes;
};

// Writes each file to a temporary beside its target, and renames the temporaries into place only
// once all of them are written and flushed: a failed write leaves every target as it was. The
// renames themselves follow one another, so another program may see the set half replaced for
// that moment; two of our own writers into one folder take turns (an advisory lock on the
// folder), so each group lands whole after the other's. Anything but a regular file at a path is refused (a symlink is replaced, not
// written through); a replaced file keeps its permissions. The error names the path and the
// system's reason. Temporaries left by one of our saves that was killed are removed from the
// folders written to.
Status WriteFilesWhole(const std::vector<FileToWrite>& files);

Status WriteFileWhole(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace vorbix
