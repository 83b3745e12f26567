#pragma once

#include <cstdint>

namespace vorbix {

// Nearest integer, halves to even, as the rule states it: the truncated value moved by one where
// the fraction left over says so. Exact for |x| < 2^62, in any floating-point mode.
inline double RoundHalfEvenPlain(double x) {
    std::int64_t whole = static_cast<std::int64_t>(x);
    const double fraction = x - static_cast<double>(whole);
    const bool odd = (whole & 1) != 0;
    if (fraction > 0.5 || (fraction == 0.5 && odd)) ++whole;
    if (fraction < -0.5 || (fraction == -0.5 && odd)) --whole;
    return static_cast<double>(whole);
}

// The same, fast: adding and taking away 1.5 * 2^52 leaves no fraction bits, and IEEE addition
// rounds half to even. Exact for |x| < 2^51, branch-free, so pixel loops vectorise. -ffast-math
// may fold the two additions away, so such a build takes the plain rule.
inline double RoundHalfEven(double x) {
#ifdef __FAST_MATH__
    return RoundHalfEvenPlain(x);
#else
    constexpr double kShift = 6755399441055744.0;
    return (x + kShift) - kShift;
#endif
}

}  // namespace vorbix
