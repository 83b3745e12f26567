#pragma once

#include <vector>

#include "draw/sheet.h"
#include "pipeline/session.h"

namespace vorbix {

// Every method run on its own copy of the document, as choosing it there would run it: same
// mode, tone, swatches, mix switches and swaps, random position. The document is not touched.
std::vector<MethodTile> ConvertWithEveryMethod(const Session& session);

}  // namespace vorbix
