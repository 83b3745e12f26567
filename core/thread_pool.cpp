#include "core/thread_pool.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <system_error>

namespace vorbix {

namespace {

// The pools whose busy count already includes this thread: a task that runs a group of its own
// goes on in the same place instead of asking for a second one, which could never be freed.
// Linked through the stack frames of the tasks running on this thread, so it never allocates.
struct HeldPlace {
    const ThreadPool* pool;
    const HeldPlace* outer;
};
thread_local const HeldPlace* heldPlaces = nullptr;
thread_local bool neverWaits = false;

bool HoldsPlace(const ThreadPool* pool) {
    for (const HeldPlace* place = heldPlaces; place; place = place->outer)
        if (place->pool == pool) return true;
    return false;
}

}  // namespace

struct ThreadPool::Group {
    const std::function<void(int)>* task;
    int count;
    int next = 0;  // the first task not yet started
    int finished = 0;
    std::exception_ptr error;
};

ThreadPool& ThreadPool::Shared() {
    static ThreadPool pool(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    return pool;
}

void ThreadPool::NeverWaitOnThisThread() { neverWaits = true; }

ThreadPool::ThreadPool(int threadLimit) : limit_(threadLimit) {
    if (threadLimit < 1) throw std::invalid_argument("ThreadPool: the thread limit must be at least 1");
}

ThreadPool::~ThreadPool() {
    std::vector<std::thread> workers;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
        workers.swap(workers_);
    }
    workWaiting_.notify_all();
    for (std::thread& worker : workers) worker.join();
}

void ThreadPool::SetThreadLimit(int n) {
    if (n < 1) throw std::invalid_argument("ThreadPool: the thread limit must be at least 1");
    if (HoldsPlace(this)) throw std::logic_error("ThreadPool: the thread limit cannot change from inside a task");
    std::vector<std::thread> retired;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (n == limit_) return;
        limit_ = n;
        ++generation_;
        retired.swap(workers_);
        workersStarted_ = false;
        // Groups under way on other threads get the new workers now rather than at the next Run.
        if (!open_.empty()) StartWorkers();
    }
    workWaiting_.notify_all();
    progress_.notify_all();
    for (std::thread& worker : retired) worker.join();
}

int ThreadPool::ThreadLimit() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return limit_;
}

int ThreadPool::PeakBusy() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return peak_;
}

void ThreadPool::ResetPeakBusy() {
    const std::lock_guard<std::mutex> lock(mutex_);
    peak_ = busy_;
}

void ThreadPool::Run(int count, const std::function<void(int)>& task) {
    if (count <= 0) return;
    const bool holdsPlace = neverWaits || HoldsPlace(this);
    Group group{&task, count, 0, 0, nullptr};
    std::unique_lock<std::mutex> lock(mutex_);
    if (count > 1) {
        StartWorkers();
        open_.push_back(&group);
        workWaiting_.notify_all();
    }
    while (group.finished < group.count) {
        if (group.next < group.count && (holdsPlace || busy_ < limit_))
            RunNext(group, lock, !holdsPlace);
        else
            progress_.wait(lock);
    }
    const std::exception_ptr error = group.error;
    lock.unlock();
    if (error) std::rethrow_exception(error);
}

// Called with the lock held.
void ThreadPool::StartWorkers() {
    if (workersStarted_) return;
    workersStarted_ = true;
    try {
        while (static_cast<int>(workers_.size()) < limit_ - 1)
            workers_.emplace_back(&ThreadPool::Work, this, generation_);
    } catch (const std::exception&) {
        // Out of threads, or of memory for their stacks: the callers run what the missing
        // workers would have.
    }
}

void ThreadPool::Work(unsigned generation) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        workWaiting_.wait(lock, [&] { return generation_ != generation || (!open_.empty() && busy_ < limit_); });
        if (generation_ != generation) return;
        RunNext(*open_.back(), lock, true);
    }
}

// Starts the group's next task with the lock held; returns with it held again once it finished.
void ThreadPool::RunNext(Group& group, std::unique_lock<std::mutex>& lock, bool takesPlace) {
    const int index = group.next++;
    if (group.next == group.count) Close(group);
    const HeldPlace place{this, heldPlaces};
    if (takesPlace) {
        peak_ = std::max(peak_, ++busy_);
        heldPlaces = &place;
    }
    lock.unlock();
    std::exception_ptr error;
    try {
        (*group.task)(index);
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    if (takesPlace) {
        heldPlaces = place.outer;
        --busy_;
        if (!open_.empty()) workWaiting_.notify_one();
    }
    if (error && !group.error) {
        group.error = error;
        group.finished += group.count - group.next;
        group.next = group.count;
        Close(group);
    }
    // The caller may return as soon as it sees the last one: nothing touches the group after this.
    ++group.finished;
    progress_.notify_all();
}

void ThreadPool::Close(Group& group) {
    const auto found = std::find(open_.begin(), open_.end(), &group);
    if (found != open_.end()) open_.erase(found);
}

}  // namespace vorbix
