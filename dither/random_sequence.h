#pragma once

#include <cstdint>

namespace vorbix {

// Uniform single-precision numbers 0 <= r < 1 from a fixed seed, so the first noisy
// conversion of every run gives the same picture. The generator is O'Neill's PCG32 (XSH RR):
// one multiply a number, three numbers a pixel, where a Mersenne Twister cost a third of the
// conversion.
class RandomSequence {
public:
    float Next() {
        const std::uint64_t old = state_;
        state_ = old * 6364136223846793005ull + kIncrement;
        const auto xorShifted = static_cast<std::uint32_t>(((old >> 18) ^ old) >> 27);
        const auto rotation = static_cast<std::uint32_t>(old >> 59);
        const std::uint32_t bits = (xorShifted >> rotation) | (xorShifted << ((32 - rotation) & 31));
        return static_cast<float>(bits >> 8) * (1.0f / 16777216.0f);
    }
    bool operator==(const RandomSequence&) const = default;

private:
    static constexpr std::uint64_t kIncrement = 1442695040888963407ull;  // odd
    std::uint64_t state_ = 20261210u;
};

}  // namespace vorbix
