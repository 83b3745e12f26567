#pragma once

#include <algorithm>
#include <thread>
#include <vector>

namespace vorbix {

// Runs work(begin, end) over [0, count) split into one contiguous band per core, when the job
// is big enough to pay for the threads. Only for work whose parts do not depend on each other.
template <typename Work>
void ParallelBands(int count, long long costPerItem, Work work) {
    constexpr long long kWorthAThread = 1 << 20;
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const long long total = static_cast<long long>(count) * costPerItem;
    const int bands = static_cast<int>(std::clamp<long long>(total / kWorthAThread, 1, std::min(cores, std::max(count, 1))));
    if (bands <= 1) {
        work(0, count);
        return;
    }
    std::vector<std::thread> threads;
    for (int b = 1; b < bands; ++b)
        threads.emplace_back(work, static_cast<int>(static_cast<long long>(count) * b / bands),
                             static_cast<int>(static_cast<long long>(count) * (b + 1) / bands));
    work(0, static_cast<int>(static_cast<long long>(count) / bands));
    for (std::thread& t : threads) t.join();
}

}  // namespace vorbix
