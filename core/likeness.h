#pragma once

#include <array>
#include <vector>

#include "core/matrix3.h"
#include "core/palette.h"
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

// The opponent channels O1, O2, O3 of a colour, from its linear light.
std::array<double, 3> OpponentOf(const PaletteEntry& colour);
// CIE XYZ of opponent channels: the inverse of the paper's matrix.
std::array<double, 3> XyzOfOpponent(const std::array<double, 3>& opponent);
// The D65 white CIELAB is taken against.
inline constexpr std::array<double, 3> kLabWhite{0.9505, 1.0, 1.089};

struct Lab {
    double L, a, b;
};
// CIELAB of opponent channels, against kLabWhite.
Lab LabOfOpponent(const std::array<double, 3>& opponent);

// CIEDE2000 colour difference with kL = kC = kH = 1, as Sharma, Wu & Dalal (2005) write it out,
// including their rules for the mean hue and the hue difference at 180 degrees and at zero chroma.
double Ciede2000(const Lab& a, const Lab& b);
// CIEDE2000 near a colour as a quadratic form: |R d| = ΔE00(at, at + d) for small CIELAB
// differences d, with R upper triangular; measured from the formula itself, so it carries the
// lightness, chroma and hue weights, the hue rotation and the boost of a near grey.
Matrix3 Ciede2000Root(const Lab& at);

// How differently shown looks from reference to an eye seeing samplesPerDegree pixels per degree
// of view: S-CIELAB (Zhang & Wandell), the mean CIEDE2000 over the pixels after each picture is
// blurred in the opponent channels as the eye blurs them. 0 for identical pictures, lower is
// better. At the borders each Gaussian is renormalised over the part inside the picture. Pictures
// of different sizes score infinity; two empty pictures score 0. A samplesPerDegree of 0 or less
// blurs nothing. Single precision; the wide terms are blurred on reduced copies.
double LikenessScore(const Picture& reference, const Picture& shown,
                     double samplesPerDegree = kTvcSamplesPerDegree);

// The score, and in `differences` what it averages: one difference a pixel, row after row; left
// empty when the sizes differ or the pictures are empty.
double LikenessScore(const Picture& reference, const Picture& shown, std::vector<float>& differences,
                     double samplesPerDegree = kTvcSamplesPerDegree);

// The same score written out plainly: every term of every kernel a direct separable Gaussian over
// the whole picture, blur and differences in double precision. Slow; it states the rule, and
// LikenessScore must agree with it closely (within 0.2 % on photo-like pictures).
double LikenessScorePlain(const Picture& reference, const Picture& shown,
                          double samplesPerDegree = kTvcSamplesPerDegree);

}  // namespace vorbix
