#include "core/oklab.h"

#include <cmath>

namespace vorbix {

OkLab OkLabOf(LinearRgb c) {
    const float l = std::cbrt(0.4122214708f * c.red + 0.5363325363f * c.green + 0.0514459929f * c.blue);
    const float m = std::cbrt(0.2119034982f * c.red + 0.6806995451f * c.green + 0.1073969566f * c.blue);
    const float s = std::cbrt(0.0883024619f * c.red + 0.2817188376f * c.green + 0.6299787005f * c.blue);
    return {0.2104542553f * l + 0.7936177850f * m - 0.0040720468f * s,
            1.9779984951f * l - 2.4285922050f * m + 0.4505937099f * s,
            0.0259040371f * l + 0.7827717662f * m - 0.8086757660f * s};
}

}  // namespace vorbix
