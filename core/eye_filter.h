#pragma once

// The eye's blur at a viewing distance (Zhang & Wandell's S-CIELAB filters): a sum of Gaussians
// on each opponent channel, renormalised at the picture's borders over the taps inside it, so a
// flat picture stays flat to its edges and no pixel outside it is made up.

#include <array>
#include <climits>
#include <functional>
#include <vector>

#include "core/picture.h"

namespace vorbix {

// A 512-pixel-wide TV picture about 50 cm wide, seen from about 2 m, fills about 14 degrees.
inline constexpr double kTvcSamplesPerDegree = 36.0;

// One Gaussian of the eye's blur, exp(-(x^2 + y^2) / s^2) normalised to sum 1, with
// s = spread x samples per degree.
struct EyeKernelTerm {
    double weight;
    double spread;  // degrees of view
};
// Zhang & Wandell's blur of one opponent channel: the weighted sum of its terms over their total.
struct EyeKernel {
    EyeKernelTerm terms[3];
    int count;
};
// O1 (luminance), O2 (red-green), O3 (blue-yellow).
inline constexpr EyeKernel kEyeKernels[3] = {
    {{{0.921, 0.0283}, {0.105, 0.133}, {-0.108, 4.336}}, 3},
    {{{0.531, 0.0392}, {0.330, 0.494}}, 2},
    {{{0.488, 0.0536}, {0.371, 0.386}}, 2},
};
double KernelWeight(const EyeKernel& kernel);

// exp(-x^2 / s^2) for x in [-radius, radius], summing to 1; s <= 0 (or not a number) is no blur.
std::vector<double> GaussianTaps(double s, int radius);
// Taps reach `reach` spreads out, but never further than across `length` pixels; 0 for no blur.
int GaussianRadius(double s, double reach, int length = INT_MAX);

// One channel of a picture, row after row.
struct Plane {
    Plane(int w, int h) : width(w), height(h), values(static_cast<std::size_t>(w) * h) {}
    float* Row(int y) { return values.data() + static_cast<std::size_t>(y) * width; }
    const float* Row(int y) const { return values.data() + static_cast<std::size_t>(y) * width; }

    int width;
    int height;
    std::vector<float> values;
};
using Channels = std::array<Plane, 3>;

// The opponent channels O1, O2, O3 of a picture.
Channels OpponentChannels(const Picture& picture);

// The eye's blur written out plainly: each term of the kernel a direct separable Gaussian with
// taps out to four spreads (exp(-16): nothing is left), in double precision. Slow; it states
// the rule the fast blur must agree with.
Plane EyeBlurPlain(const Plane& channel, const EyeKernel& kernel, double samplesPerDegree);

// Rows a strip of the fast eye blur holds; every strip but the last starts at a multiple of it.
inline constexpr int kEyeStripRows = 48;

// Rows [y0, y1) of two pictures' opponent channels blurred by the fast eye blur.
struct BlurredStrip {
    int y0, y1;
    int width;
    const float* data;

    // Row y of picture p's (0 or 1) channel c.
    const float* Row(int p, int c, int y) const;
};

// The eye's blur of two pictures of one size, fast: single precision, the wide terms blurred on
// reduced copies. The pictures are walked in strips of rows, and `use` is given each strip while
// it is in the cache; strips run on the thread pool, each given once, in no fixed order.
void EyeBlurInStrips(const Picture& one, const Picture& two, double samplesPerDegree,
                     const std::function<void(const BlurredStrip&)>& use);

}  // namespace vorbix
