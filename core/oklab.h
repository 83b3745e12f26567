#pragma once

// OKLab (Björn Ottosson, "A perceptual color space for image processing", 2020): lightness and two
// colour axes from linear light, more even in hue than CIELAB (its blues stay blue, not purple).

#include "core/linear_light.h"

namespace vorbix {

struct OkLab {
    float L = 0;  // 0 black .. 1 white
    float a = 0;  // green .. red
    float b = 0;  // blue .. yellow
};

OkLab OkLabOf(LinearRgb colour);

}  // namespace vorbix
