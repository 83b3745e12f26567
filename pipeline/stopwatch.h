#pragma once

#include <chrono>
#include <cstdint>

namespace vorbix {

class Stopwatch {
public:
    void Start() { start_ = std::chrono::steady_clock::now(); }
    // Whole milliseconds since Start, halves to even.
    std::int32_t ElapsedMs() const;

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Milliseconds from a counter difference and the counter's frequency, halves to even.
std::int32_t CountsToMs(std::int64_t counts, std::int64_t frequency);

}  // namespace vorbix
