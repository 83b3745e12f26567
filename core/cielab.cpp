#include "core/cielab.h"

#include <cmath>
#include <numeric>

#include "core/linear_light.h"

namespace vorbix {

Opponent OpponentOf(const PaletteEntry& colour) {
    const std::array<float, 256>& linear = LinearLight();
    return Multiply(kLinearRgbToOpponent, Vector3{linear[colour.red], linear[colour.green], linear[colour.blue]});
}

// The table look-ups come first, so that the products run several pixels an instruction.
void OpponentRow(const std::uint8_t* bytes, int count, float* o1, float* o2, float* o3) {
    const std::array<float, 256>& linear = LinearLight();
    const Matrix3& m = kLinearRgbToOpponent;
    const float m00 = float(m[0][0]), m01 = float(m[0][1]), m02 = float(m[0][2]);
    const float m10 = float(m[1][0]), m11 = float(m[1][1]), m12 = float(m[1][2]);
    const float m20 = float(m[2][0]), m21 = float(m[2][1]), m22 = float(m[2][2]);
    for (int x = 0; x < count; ++x) {
        o1[x] = linear[bytes[3 * x + 2]];
        o2[x] = linear[bytes[3 * x + 1]];
        o3[x] = linear[bytes[3 * x]];
    }
    for (int x = 0; x < count; ++x) {
        const float r = o1[x], g = o2[x], b = o3[x];
        o1[x] = m00 * r + m01 * g + m02 * b;
        o2[x] = m10 * r + m11 * g + m12 * b;
        o3[x] = m20 * r + m21 * g + m22 * b;
    }
}

std::array<double, 3> XyzOfOpponent(const Opponent& opponent) { return Multiply(kOpponentToXyz, opponent); }

Lab LabOfOpponent(const Opponent& opponent) {
    const LabOf<double> lab(opponent[0], opponent[1], opponent[2]);
    return {lab.L, lab.a, lab.b};
}

double LabCurveSlope(double t) {
    constexpr double kKnee = 216.0 / 24389.0;
    return t > kKnee ? std::cbrt(t) / (3 * t) : 24389.0 / 27.0 / 116.0;
}

Matrix3 LabRowsOfOpponent(const std::array<double, 3>& slopes) {
    Matrix3 rows{};
    for (int channel = 0; channel < 3; ++channel) {
        Opponent unit{};
        unit[channel] = 1;
        const std::array<double, 3> xyz = XyzOfOpponent(unit);
        const double fx = slopes[0] * xyz[0] / kLabWhite[0], fy = slopes[1] * xyz[1] / kLabWhite[1],
                     fz = slopes[2] * xyz[2] / kLabWhite[2];
        rows[0][channel] = 116 * fy;
        rows[1][channel] = 500 * (fx - fy);
        rows[2][channel] = 200 * (fy - fz);
    }
    return rows;
}

double Ciede2000(const Lab& one, const Lab& two) { return Ciede2000Of(one.L, one.a, one.b, two.L, two.a, two.b); }

Matrix3 Ciede2000Root(const Lab& at) {
    constexpr double kStep = 0.5;  // CIELAB units; the formula is not smooth at zero chroma
    // Both ways and averaged: the weights move with the colours' mean chroma, so one way alone is off.
    auto squared = [&](const Vector3& u) {
        double sum = 0;
        for (const double step : {kStep, -kStep}) {
            const double e = Ciede2000(at, Lab{at.L + step * u[0], at.a + step * u[1], at.b + step * u[2]}) / kStep;
            sum += e * e / 2;
        }
        return sum;
    };
    Matrix3 form{};
    for (int i = 0; i < 3; ++i) {
        Vector3 u{};
        u[i] = 1;
        form[i][i] = squared(u);
    }
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j) {
            Vector3 u{};
            u[i] = u[j] = 1;
            form[i][j] = form[j][i] = (squared(u) - form[i][i] - form[j][j]) / 2;
        }
    return CholeskyRoot(form);
}

// Their loops run several pixels an instruction only with everything inlined, so they ask for that.
[[gnu::flatten]] void LabRow(const float* const opponent[3], int w, float* const lab[3]) {
    const float *o1 = opponent[0], *o2 = opponent[1], *o3 = opponent[2];
    float *L = lab[0], *a = lab[1], *b = lab[2];
    for (int x = 0; x < w; ++x) {
        const LabOf<float> colour(o1[x], o2[x], o3[x]);
        L[x] = colour.L;
        a[x] = colour.a;
        b[x] = colour.b;
    }
}

[[gnu::flatten]] double Ciede2000Row(const float* const one[3], const float* const two[3], int w, float* differences) {
    const float *L1 = one[0], *a1 = one[1], *b1 = one[2], *L2 = two[0], *a2 = two[1], *b2 = two[2];
    for (int x = 0; x < w; ++x) differences[x] = Ciede2000Of(L1[x], a1[x], b1[x], L2[x], a2[x], b2[x]);
    return std::accumulate(differences, differences + w, 0.0);
}

}  // namespace vorbix
