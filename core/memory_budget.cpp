#include "core/memory_budget.h"

#include <unistd.h>

#include <algorithm>

namespace vorbix {

MemoryBudget::MemoryBudget(std::int64_t bytes) : total_(std::max<std::int64_t>(bytes, 1)) {}

MemoryBudget::Lease::~Lease() {
    if (budget_) budget_->Release(bytes_);
}

MemoryBudget::Lease MemoryBudget::Reserve(std::int64_t bytes) {
    bytes = std::max<std::int64_t>(bytes, 0);
    std::unique_lock<std::mutex> lock(mutex_);
    released_.wait(lock, [&] { return held_ == 0 || held_ + bytes <= total_; });
    held_ += bytes;
    peak_ = std::max(peak_, held_);
    return Lease(*this, bytes);
}

void MemoryBudget::Release(std::int64_t bytes) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        held_ -= bytes;
    }
    released_.notify_all();
}

std::int64_t MemoryBudget::PeakHeld() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return peak_;
}

std::int64_t MemoryBudget::HalfOfTheMachine() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 1LL << 31;
    return static_cast<std::int64_t>(pages) * pageSize / 2;
}

}  // namespace vorbix
