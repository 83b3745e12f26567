#pragma once

#include <algorithm>
#include <array>
#include <cmath>

namespace vorbix {

// A 3 x 3 matrix over colour channels: a change of colour space, a quadratic form, a linear map.
using Matrix3 = std::array<std::array<double, 3>, 3>;
using Vector3 = std::array<double, 3>;

inline constexpr Matrix3 kIdentity3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

constexpr Matrix3 Multiply(const Matrix3& p, const Matrix3& q) {
    Matrix3 m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) m[i][j] += p[i][k] * q[k][j];
    return m;
}

constexpr Vector3 Multiply(const Matrix3& m, const Vector3& v) {
    Vector3 out{};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k) out[i] += m[i][k] * v[k];
    return out;
}

constexpr Matrix3 Transpose(const Matrix3& m) {
    Matrix3 t{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t[i][j] = m[j][i];
    return t;
}

// By cofactors; the matrix must not be singular.
constexpr Matrix3 Inverse(const Matrix3& m) {
    auto cofactor = [&](int i, int j) {
        const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
        return m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1];
    };
    const double det = m[0][0] * cofactor(0, 0) + m[0][1] * cofactor(0, 1) + m[0][2] * cofactor(0, 2);
    Matrix3 inverse{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) inverse[i][j] = cofactor(j, i) / det;
    return inverse;
}

// The upper triangular R with R' R = form, for a symmetric positive definite form; a pivot that
// rounding leaves at zero or below is raised to a tiny positive one.
inline Matrix3 CholeskyRoot(const Matrix3& form) {
    Matrix3 root{};
    for (int i = 0; i < 3; ++i) {
        double pivot = form[i][i];
        for (int k = 0; k < i; ++k) pivot -= root[k][i] * root[k][i];
        root[i][i] = std::sqrt(std::max(pivot, 1e-12));
        for (int j = i + 1; j < 3; ++j) {
            double v = form[i][j];
            for (int k = 0; k < i; ++k) v -= root[k][i] * root[k][j];
            root[i][j] = v / root[i][i];
        }
    }
    return root;
}

}  // namespace vorbix
