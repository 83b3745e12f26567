#pragma once

namespace vorbix {

// Nearest integer, halves to even: adding and taking away 1.5 * 2^52 leaves no fraction bits, and
// the addition rounds in the default mode (half to even). Exact for |x| < 2^51, and much cheaper
// than a library call per channel.
inline double RoundHalfEven(double x) {
    constexpr double kShift = 6755399441055744.0;
    return (x + kShift) - kShift;
}

}  // namespace vorbix
