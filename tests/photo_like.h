#pragma once

// Made-up photographs and the differences a conversion leaves, for the tests of the eye model.

#include <algorithm>
#include <cmath>
#include <random>

#include "core/picture.h"

namespace vorbix {

// Sky with a sun, textured ground, two dark posts with hard edges, and grain.
inline Picture PhotoLike(int w, int h) {
    Picture p(w, h);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> grain(-4, 4);
    auto level = [&](double v) { return std::clamp(static_cast<int>(v) + grain(random), 0, 255); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
            const double sun = std::exp(-25.0 * ((u - 0.7) * (u - 0.7) + (v - 0.2) * (v - 0.2)));
            const double texture = 0.5 + 0.5 * std::sin(u * 12.0) * std::cos(v * 9.0);
            double r = 70 + 110 * v + 170 * sun, g = 120 + 70 * v + 130 * sun, b = 215 - 40 * v + 30 * sun;
            if (v > 0.55) r = 40 + 90 * texture, g = 90 + 100 * texture, b = 30 + 60 * (1 - texture);
            if (std::fmod(u * 2.0, 1.0) < 0.1) r = g = b = 25;
            p.SetPixel(x, y, MakeColour(level(r), level(g), level(b)));
        }
    return p;
}

// Each byte moved by up to +-40, as a coarse dither leaves a picture: a difference in fine detail.
inline Picture WithNoise(Picture p) {
    std::mt19937 random(9);
    std::uniform_int_distribution<int> step(-40, 40);
    for (std::size_t i = 0; i < p.ByteCount(); ++i)
        p.Data()[i] = static_cast<std::uint8_t>(std::clamp(p.Data()[i] + step(random), 0, 255));
    return p;
}

// Darker on the left, lighter on the right, by up to 30 levels: a difference the wide terms see.
inline Picture WithRamp(Picture p) {
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width() * 3; ++x) {
            const int step = 60 * (x / 3) / std::max(p.Width() - 1, 1) - 30;
            p.Row(y)[x] = static_cast<std::uint8_t>(std::clamp(p.Row(y)[x] + step, 0, 255));
        }
    return p;
}

}  // namespace vorbix
