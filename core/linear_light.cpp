#include "core/linear_light.h"

#include <algorithm>
#include <cmath>

namespace vorbix {

namespace {

// Half steps round up.
int LightStep(float linear) { return static_cast<int>(std::clamp(linear, 0.0f, 1.0f) * kLightSteps + 0.5f); }

int LevelOfStep(int step) {
    return static_cast<int>(std::lround(LinearToSrgb(static_cast<double>(step) / kLightSteps) * 255));
}

}  // namespace

double SrgbToLinear(double level) {
    return level <= 0.04045 ? level / 12.92 : std::pow((level + 0.055) / 1.055, 2.4);
}

double LinearToSrgb(double linear) {
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

const std::array<float, 256>& LinearLight() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> linear{};
        for (int i = 0; i < 256; ++i) linear[i] = static_cast<float>(SrgbToLinear(i / 255.0));
        return linear;
    }();
    return table;
}

int LevelOfLight(float linear) {
    static const std::array<std::uint8_t, kLightSteps + 1> levels = [] {
        std::array<std::uint8_t, kLightSteps + 1> table{};
        for (int step = 0; step <= kLightSteps; ++step) table[step] = static_cast<std::uint8_t>(LevelOfStep(step));
        return table;
    }();
    return levels[LightStep(linear)];
}

int LevelOfLightPlain(float linear) { return LevelOfStep(LightStep(linear)); }

}  // namespace vorbix
