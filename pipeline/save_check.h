#pragma once

#include <optional>
#include <string>

#include "core/palette.h"
#include "core/picture.h"
#include "core/tvc.h"
#include "io/result.h"

namespace vorbix {

// Reads a headed screen file back and compares what the machine shows with the work surface it
// was made from. Silent (nothing) when they agree; otherwise a warning: which colours the machine
// shows differently, on how many pixels, and the palette colours it cannot show. A file that
// cannot be read back, or reads back wrong, is an error.
Result<std::optional<std::string>> CheckShownScreen(const std::string& timPath, TvcMode mode, const Picture& surface,
                                            const Palette& palette);

}  // namespace vorbix
