#pragma once

#include <string>
#include <vector>

#include "core/picture.h"

namespace vorbix {

// A made-up photograph: smooth sky and light, textured ground, hard edges and sensor-like
// noise, so that colour searches and counts meet the variety of a real photo.
Picture PhotoLikePicture(int width, int height);

// The JPEGs in the folders, each folder's sorted by name: the real photos the per-photo
// benchmarks run on. A folder that cannot be read adds none.
std::vector<std::string> JpegsIn(const std::vector<std::string>& folders);

}  // namespace vorbix
