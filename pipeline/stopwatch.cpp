#include "pipeline/stopwatch.h"

#include <cmath>

namespace vorbix {

std::int32_t CountsToMs(std::int64_t counts, std::int64_t frequency) {
    if (frequency <= 0) return 0;
    return static_cast<std::int32_t>(std::nearbyint(static_cast<double>(counts) / static_cast<double>(frequency) * 1000.0));
}

std::int32_t Stopwatch::ElapsedMs() const {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    using Period = std::chrono::steady_clock::period;
    return CountsToMs(elapsed.count() * Period::num, Period::den);
}

}  // namespace vorbix
