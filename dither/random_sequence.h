#pragma once

#include <random>

namespace vorbix {

// Uniform single-precision numbers 0 <= r < 1 from a fixed seed, so the first noisy
// conversion of every run gives the same picture.
class RandomSequence {
public:
    float Next() { return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f); }
    bool operator==(const RandomSequence&) const = default;

private:
    std::mt19937 engine_{20261210u};
};

}  // namespace vorbix
