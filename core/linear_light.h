#pragma once

// Colours as light: sRGB levels and the linear light they stand for (IEC 61966-2-1).

#include <array>
#include <cstdint>

namespace vorbix {

// The IEC 61966-2-1 curves between a level 0..1 and linear light 0..1.
double SrgbToLinear(double level);
double LinearToSrgb(double linear);

// Linear light of each byte level, in single precision.
const std::array<float, 256>& LinearLight();

// The byte level of linear light, clamped to 0..1 and rounded to steps of 1/kLightSteps first,
// read from a table; LevelOfLightPlain works it out with the curve and must agree.
inline constexpr int kLightSteps = 1 << 12;
int LevelOfLight(float linear);
int LevelOfLightPlain(float linear);

struct LinearRgb {
    float red = 0;
    float green = 0;
    float blue = 0;
};

}  // namespace vorbix
