#pragma once

// Maths for float loops that the compiler can run several pixels an instruction, each with a
// double twin built on the standard library's functions.

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <type_traits>

namespace vorbix {

// The float version runs several pixels an instruction only if its loop has no branches. With the
// default floating-point options a ?: whose arms compute something is a branch (the arithmetic
// could trap), and so is a call that may set errno, such as std::sqrt. So values are chosen by bit
// masks after both are computed, and the float roots are estimates from the bits refined by
// Newton's and Halley's steps (right to 5e-6 and 2e-7); double keeps the standard ones.
template <typename T>
T Choose(bool condition, T yes, T no) {
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    const Bits mask = Bits(0) - Bits(condition);
    return std::bit_cast<T>((std::bit_cast<Bits>(yes) & mask) | (std::bit_cast<Bits>(no) & ~mask));
}

inline double InverseSquareRoot(double v) { return 1 / std::sqrt(v); }
inline float InverseSquareRoot(float v) {
    float inverse = std::bit_cast<float>(0x5f375a86u - (std::bit_cast<std::uint32_t>(v) >> 1));
    inverse *= 1.5f - 0.5f * v * inverse * inverse;
    inverse *= 1.5f - 0.5f * v * inverse * inverse;
    return inverse;
}
inline double SquareRoot(double v) { return std::sqrt(v); }
inline float SquareRoot(float v) { return v * InverseSquareRoot(v); }  // 0 for 0
inline double CubeRoot(double v) { return std::cbrt(v); }
inline float CubeRoot(float v) {
    float root = std::bit_cast<float>(std::bit_cast<std::uint32_t>(v) / 3 + 709921077u);
    float cube = root * root * root;
    root *= (cube + 2 * v) / (2 * cube + v);
    cube = root * root * root;
    root *= (cube + 2 * v) / (2 * cube + v);
    return root;
}

// c0 + x (c1 + x (c2 + ...)), written out so that no loop is left.
template <typename T, typename... More>
T Polynomial(T x, double c0, More... more) {
    if constexpr (sizeof...(more) == 0)
        return T(c0);
    else
        return T(c0) + x * Polynomial(x, more...);
}

// atan2 in degrees, in (-180, 180]. Half-angle steps bring the tangent under tan(pi / 8), one in
// float, or tan(pi / 16), two in double, where eight terms of the series leave 4e-8 and 1e-13
// radians.
template <typename T>
T Atan2Degrees(T y, T x) {
    const T ax = std::abs(x), ay = std::abs(y);
    const bool steep = ay > ax;
    const T big = Choose(steep, ay, ax), small = Choose(steep, ax, ay);
    T t = small / Choose(big > 0, big, T(1));
    t = t / (1 + SquareRoot(1 + t * t));
    constexpr int halvings = std::is_same_v<T, float> ? 1 : 2;
    if constexpr (halvings == 2) t = t / (1 + SquareRoot(1 + t * t));
    const T series = Polynomial(t * t, 1.0, -1.0 / 3, 1.0 / 5, -1.0 / 7, 1.0 / 9, -1.0 / 11, 1.0 / 13, -1.0 / 15);
    T angle = T((1 << halvings) * 180 / std::numbers::pi) * t * series;
    angle = Choose(steep, 90 - angle, angle);
    angle = Choose(x < 0, 180 - angle, angle);
    return Choose(y < 0, -angle, angle);
}

// exp(-z) for z >= 0: the series for z / 64, squared six times; beyond z = 40 (4e-18) it stays
// there. Float stops the series at the 8th power, double at the 12th: right to 1e-5 and 4e-11.
template <typename T>
T ExpNegative(T z) {
    const T w = Choose(z < 40, z, T(40)) * T(1.0 / 64);
    T e;
    if constexpr (std::is_same_v<T, float>)
        e = Polynomial(w, 1.0, -1.0, 1.0 / 2, -1.0 / 6, 1.0 / 24, -1.0 / 120, 1.0 / 720, -1.0 / 5040, 1.0 / 40320);
    else
        e = Polynomial(w, 1.0, -1.0, 1.0 / 2, -1.0 / 6, 1.0 / 24, -1.0 / 120, 1.0 / 720, -1.0 / 5040, 1.0 / 40320,
                       -1.0 / 362880, 1.0 / 3628800, -1.0 / 39916800, 1.0 / 479001600);
    e *= e;
    e *= e;
    e *= e;
    e *= e;
    e *= e;
    e *= e;
    return e;
}

// sin(x) for 0 <= x <= pi / 3, by its series to x^9 in float and x^15 in double.
template <typename T>
T SineSmall(T x) {
    if constexpr (std::is_same_v<T, float>)
        return x * Polynomial(x * x, 1.0, -1.0 / 6, 1.0 / 120, -1.0 / 5040, 1.0 / 362880);
    else
        return x * Polynomial(x * x, 1.0, -1.0 / 6, 1.0 / 120, -1.0 / 5040, 1.0 / 362880, -1.0 / 39916800,
                              1.0 / 6227020800, -1.0 / 1307674368000);
}

}  // namespace vorbix
