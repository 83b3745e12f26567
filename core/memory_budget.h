#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace vorbix {

// Bytes that jobs running at once may hold together. A job reserves what it will need before it
// allocates and waits while the others hold too much; a job that needs more than the whole
// budget runs once it is the only one holding any.
class MemoryBudget {
public:
    explicit MemoryBudget(std::int64_t bytes);

    // Returned when the lease ends.
    class Lease {
    public:
        Lease(MemoryBudget& budget, std::int64_t bytes) : budget_(&budget), bytes_(bytes) {}
        Lease(Lease&& other) noexcept : budget_(other.budget_), bytes_(other.bytes_) { other.budget_ = nullptr; }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Lease& operator=(Lease&&) = delete;
        ~Lease();

    private:
        MemoryBudget* budget_;
        std::int64_t bytes_;
    };

    Lease Reserve(std::int64_t bytes);

    std::int64_t PeakHeld() const;

    // Half of the machine's memory: room for the rest of the system and for what the estimates miss.
    static std::int64_t HalfOfTheMachine();

private:
    void Release(std::int64_t bytes);

    const std::int64_t total_;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::int64_t held_ = 0;
    std::int64_t peak_ = 0;
};

}  // namespace vorbix
