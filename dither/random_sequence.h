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
        ++drawn_;
        const std::uint64_t old = state_;
        state_ = old * kMultiplier + kIncrement;
        const auto xorShifted = static_cast<std::uint32_t>(((old >> 18) ^ old) >> 27);
        const auto rotation = static_cast<std::uint32_t>(old >> 59);
        const std::uint32_t bits = (xorShifted >> rotation) | (xorShifted << ((32 - rotation) & 31));
        return static_cast<float>(bits >> 8) * (1.0f / 16777216.0f);
    }
    // How many numbers were drawn since the start, and a sequence with that many drawn already,
    // so that a replay draws what the original drew next.
    std::uint64_t Drawn() const { return drawn_; }
    static RandomSequence AfterDrawing(std::uint64_t drawn) {
        // The state steps as a linear congruential sequence, so n steps are one multiply-add whose
        // constants are built by squaring (Brown's jump ahead).
        std::uint64_t multiply = 1, add = 0, stepMultiply = kMultiplier, stepAdd = kIncrement;
        for (std::uint64_t n = drawn; n > 0; n >>= 1) {
            if (n & 1) {
                multiply *= stepMultiply;
                add = add * stepMultiply + stepAdd;
            }
            stepAdd *= stepMultiply + 1;
            stepMultiply *= stepMultiply;
        }
        RandomSequence sequence;
        sequence.state_ = multiply * sequence.state_ + add;
        sequence.drawn_ = drawn;
        return sequence;
    }
    bool operator==(const RandomSequence&) const = default;

private:
    static constexpr std::uint64_t kMultiplier = 6364136223846793005ull;
    static constexpr std::uint64_t kIncrement = 1442695040888963407ull;  // odd
    std::uint64_t state_ = 20261210u;
    std::uint64_t drawn_ = 0;
};

}  // namespace vorbix
