#pragma once

#include <vector>

#include "draw/sheet.h"
#include "pipeline/session.h"

namespace vorbix {

// Every method run on its own copy of the document, as choosing it there would run it: same
// mode, tone, swatches, mix switches and swaps, random position. The document is not touched.
// With eachWithBestColours in Graphics 2 or 4, each method is converted with its own best swatches
// (BestSwatches), which the tile keeps.
std::vector<MethodTile> ConvertWithEveryMethod(const Session& session, bool eachWithBestColours = false);
// One such tile, for a front end that fills the sheet in as each method finishes.
MethodTile ConvertWithMethod(const Session& session, int method, bool eachWithBestColours = false);

}  // namespace vorbix
