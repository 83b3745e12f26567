#pragma once

// Colour as the eye's likeness measures it: linear light, Zhang & Wandell's opponent channels,
// CIE XYZ, CIELAB and the CIEDE2000 difference. The templates run in float for loops over
// pixels and in double where precision counts.

#include <array>
#include <cstdint>

#include "core/fast_maths.h"
#include "core/matrix3.h"
#include "core/palette.h"

namespace vorbix {

using Opponent = Vector3;

inline constexpr Matrix3 kLinearRgbToXyz{{{0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}}};
inline constexpr Matrix3 kXyzToOpponent{{{0.279, 0.720, -0.107}, {-0.449, 0.290, -0.077}, {0.086, -0.590, 0.501}}};
inline constexpr Matrix3 kLinearRgbToOpponent = Multiply(kXyzToOpponent, kLinearRgbToXyz);
inline constexpr Matrix3 kOpponentToXyz = Inverse(kXyzToOpponent);

// The opponent channels O1 (luminance), O2 (red-green), O3 (blue-yellow) of a colour, from its
// linear light.
Opponent OpponentOf(const PaletteEntry& colour);
// The opponent channels of `count` pixels of 3 bytes each (blue, green, red), one array each.
void OpponentRow(const std::uint8_t* bytes, int count, float* o1, float* o2, float* o3);
// CIE XYZ of opponent channels: the inverse of the paper's matrix.
std::array<double, 3> XyzOfOpponent(const Opponent& opponent);

// The D65 white CIELAB is taken against.
inline constexpr std::array<double, 3> kLabWhite{0.9505, 1.0, 1.089};

struct Lab {
    double L, a, b;
};
// CIELAB of opponent channels, against kLabWhite.
Lab LabOfOpponent(const Opponent& opponent);

// CIELAB's f: the cube root, with its straight piece in the dark.
template <typename T>
T LabCurve(T t) {
    constexpr double d = 6.0 / 29.0;
    const T low = T(d * d * d);
    const T root = CubeRoot(Choose(t > low, t, low)), line = t * T(1 / (3 * d * d)) + T(4.0 / 29.0);
    return Choose(t > low, root, line);
}

// CIELAB of opponent channels, against kLabWhite.
template <typename T>
struct LabOf {
    LabOf(T o1, T o2, T o3) {
        constexpr Matrix3 m = kOpponentToXyz;
        const T fx = LabCurve((T(m[0][0]) * o1 + T(m[0][1]) * o2 + T(m[0][2]) * o3) * T(1 / kLabWhite[0]));
        const T fy = LabCurve((T(m[1][0]) * o1 + T(m[1][1]) * o2 + T(m[1][2]) * o3) * T(1 / kLabWhite[1]));
        const T fz = LabCurve((T(m[2][0]) * o1 + T(m[2][1]) * o2 + T(m[2][2]) * o3) * T(1 / kLabWhite[2]));
        L = 116 * fy - 16;
        a = 500 * (fx - fy);
        b = 200 * (fy - fz);
    }
    T L, a, b;
};

// The slope of CIELAB's f at t (X, Y or Z over the white's), which makes differences in the dark
// count more.
double LabCurveSlope(double t);
// The rows of CIELAB's L, a and b for a small difference of opponent channels at a colour where
// f has these slopes (for X, Y and Z); at slopes of 1 the form without the curve.
Matrix3 LabRowsOfOpponent(const std::array<double, 3>& slopes = {1, 1, 1});

// CIEDE2000 without branches. The hue terms come from vectors instead of angles:
// dH'^2 = da'^2 + db^2 - dC'^2 (exactly 0 for equal colours), signed by the turn from the first
// hue to the second, and the mean hue of two hues less than 180 degrees apart lies on the
// bisector of their unit vectors; the paper's wrap-around rules say the same. Its special cases:
// a colour without chroma has no hue vector (its hue counts as 0), and for hues exactly opposite
// the mean is 90 degrees past the one below 180.
template <typename T>
T Ciede2000Of(T L1, T a1, T b1, T L2, T a2, T b2) {
    constexpr double kDegree = std::numbers::pi / 180;
    constexpr T k25To7 = 6103515625.0;
    auto pow7 = [](T v) { return v * v * v * v * v * v * v; };
    auto nonNegative = [](T v) { return Choose(v > 0, v, T(0)); };
    // cos and sin of 30, 6 and 63 degrees.
    const T cos30 = T(0.86602540378443865), sin30 = T(0.5);
    const T cos6 = T(0.99452189536827333), sin6 = T(0.10452846326765347);
    const T cos63 = T(0.45399049973954680), sin63 = T(0.89100652418836787);

    const T meanC = (SquareRoot(a1 * a1 + b1 * b1) + SquareRoot(a2 * a2 + b2 * b2)) / 2;
    const T g = T(0.5) * (1 - SquareRoot(pow7(meanC) / (pow7(meanC) + k25To7)));
    const T p1 = (1 + g) * a1, p2 = (1 + g) * a2;
    const T q1 = p1 * p1 + b1 * b1, q2 = p2 * p2 + b2 * b2;
    const T r1 = Choose(q1 > 0, InverseSquareRoot(Choose(q1 > 0, q1, T(1))), T(0));
    const T r2 = Choose(q2 > 0, InverseSquareRoot(Choose(q2 > 0, q2, T(1))), T(0));
    const T c1 = q1 * r1, c2 = q2 * r2;
    const bool chroma = (c1 > 0) & (c2 > 0);
    const T cross = p1 * b2 - b1 * p2, dot = p1 * p2 + b1 * b2;
    const T x1 = p1 * r1, y1 = b1 * r1, x2 = p2 * r2, y2 = b2 * r2;
    const bool opposite = chroma & (cross == 0) & (dot < 0);
    const bool firstBelow180 = (b1 > 0) | ((b1 == 0) & (p1 > 0));
    // The bisector: along the sum for hues up to 90 degrees apart, and square to the difference,
    // turned the way the hues turn, beyond, where the sum would lose its digits.
    const T turn = Choose(cross < 0, T(-1), T(1));
    const bool near = dot >= 0;
    const T x = Choose(opposite, Choose(firstBelow180, -y1, -y2), Choose(near, x1 + x2, turn * (y2 - y1)));
    const T y = Choose(opposite, Choose(firstBelow180, x1, x2), Choose(near, y1 + y2, turn * (x1 - x2)));
    const T length2 = x * x + y * y;
    const bool hasHue = length2 > 0;
    const T inverseLength = InverseSquareRoot(Choose(hasHue, length2, T(1)));
    const T cosH = Choose(hasHue, x * inverseLength, T(1)), sinH = Choose(hasHue, y * inverseLength, T(0));

    const T da = p2 - p1, db = b2 - b1, dC = c2 - c1;
    const T sign = Choose(opposite, Choose(firstBelow180, T(1), T(-1)), turn);
    const T dH = Choose(chroma, sign * SquareRoot(nonNegative(da * da + db * db - dC * dC)), T(0));

    // T's cosines of 2, 3 and 4 times the mean hue, from its own cosine and sine.
    const T cos2 = cosH * cosH - sinH * sinH, sin2 = 2 * sinH * cosH;
    const T cos3 = cos2 * cosH - sin2 * sinH, sin3 = sin2 * cosH + cos2 * sinH;
    const T cos4 = cos2 * cos2 - sin2 * sin2, sin4 = 2 * sin2 * cos2;
    const T t = 1 - T(0.17) * (cosH * cos30 + sinH * sin30) + T(0.24) * cos2 + T(0.32) * (cos3 * cos6 - sin3 * sin6) -
                T(0.20) * (cos4 * cos63 + sin4 * sin63);

    const T angle = Atan2Degrees(sinH, cosH);
    const T meanH = Choose(angle < 0, angle + 360, angle);
    const T offset = (meanH - 275) * T(1.0 / 25);
    const T dTheta = 30 * ExpNegative(offset * offset);
    const T meanCp = (c1 + c2) / 2;
    const T rC = 2 * SquareRoot(pow7(meanCp) / (pow7(meanCp) + k25To7));
    const T meanL = (L1 + L2) / 2;
    const T l50 = (meanL - 50) * (meanL - 50);
    const T sL = 1 + T(0.015) * l50 * InverseSquareRoot(20 + l50);
    const T sC = 1 + T(0.045) * meanCp;
    const T sH = 1 + T(0.015) * meanCp * t;
    const T rT = -SineSmall(2 * dTheta * T(kDegree)) * rC;
    const T l = (L2 - L1) / sL, c = dC / sC, h = dH / sH;
    return SquareRoot(nonNegative(l * l + c * c + h * h + rT * c * h));
}

// CIEDE2000 colour difference with kL = kC = kH = 1, as Sharma, Wu & Dalal (2005) write it out,
// including their rules for the mean hue and the hue difference at 180 degrees and at zero chroma.
double Ciede2000(const Lab& a, const Lab& b);
// CIEDE2000 near a colour as a quadratic form: |R d| = ΔE00(at, at + d) for small CIELAB
// differences d, with R upper triangular; measured from the formula itself, so it carries the
// lightness, chroma and hue weights, the hue rotation and the boost of a near grey.
Matrix3 Ciede2000Root(const Lab& at);

// CIELAB of a row of w pixels of opponent channels (opponent[c][x]), in float, into lab[0..2] (L, a, b).
void LabRow(const float* const opponent[3], int w, float* const lab[3]);

// CIEDE2000 between two rows of w CIELAB colours (one[c][x], two[c][x], L a b), in float: each
// pixel's difference into `differences`, their sum returned.
double Ciede2000Row(const float* const one[3], const float* const two[3], int w, float* differences);

}  // namespace vorbix
