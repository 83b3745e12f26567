#pragma once

#include <algorithm>

#include "core/thread_pool.h"

namespace vorbix {

// Runs work(begin, end) over [0, count) split into contiguous bands, at most one per thread the
// shared pool allows, when the job is big enough to pay for the threads. Only for work whose
// parts do not depend on each other.
template <typename Work>
void ParallelBands(int count, long long costPerItem, Work work) {
    constexpr long long kWorthAThread = 1 << 20;
    ThreadPool& pool = ThreadPool::Shared();
    const long long total = static_cast<long long>(count) * costPerItem;
    const int bands =
        static_cast<int>(std::clamp<long long>(total / kWorthAThread, 1, std::min(pool.ThreadLimit(), std::max(count, 1))));
    if (bands <= 1) {
        work(0, count);
        return;
    }
    pool.Run(bands, [&](int b) {
        // Each band its own copy, so a functor with state never shares it between threads.
        Work band = work;
        band(static_cast<int>(static_cast<long long>(count) * b / bands),
             static_cast<int>(static_cast<long long>(count) * (b + 1) / bands));
    });
}

}  // namespace vorbix
