#pragma once

#include <cstdint>

namespace vorbix {

// Nearest integer, halves to even, for |x| < 2^62: the truncated value moved by one where the
// fraction left over says so. Plain integer steps, so no floating-point mode or optimisation
// flag changes the answer, and no library call per channel.
inline double RoundHalfEven(double x) {
    std::int64_t whole = static_cast<std::int64_t>(x);
    const double fraction = x - static_cast<double>(whole);
    const bool odd = (whole & 1) != 0;
    if (fraction > 0.5 || (fraction == 0.5 && odd)) ++whole;
    if (fraction < -0.5 || (fraction == -0.5 && odd)) --whole;
    return static_cast<double>(whole);
}

}  // namespace vorbix
