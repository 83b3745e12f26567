#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vorbix {

// Runs groups of independent tasks on at most ThreadLimit() busy threads, counting the callers:
// the pool keeps limit - 1 workers and the thread that submits a group works on it too.
class ThreadPool {
public:
    // The one pool of the process; its limit starts at the core count.
    static ThreadPool& Shared();
    // The calling thread, the one that must keep answering a user, never waits for a place: when
    // every place is taken it runs its groups' tasks itself, one thread over the limit meanwhile.
    static void NeverWaitOnThisThread();

    explicit ThreadPool(int threadLimit);  // threadLimit >= 1, as for SetThreadLimit
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    // n >= 1 (std::invalid_argument otherwise). A change replaces the workers, waiting for each
    // to finish its current task, so it must not be called from inside a task (std::logic_error).
    void SetThreadLimit(int n);
    int ThreadLimit() const;

    // Runs task(0) ... task(count - 1) and returns when all have finished. The caller runs tasks
    // of this group itself, so a task may run a group of its own. If tasks throw, the tasks not
    // yet started are skipped and the first exception is rethrown here.
    void Run(int count, const std::function<void(int)>& task);

    // Most threads running a task at once since the last reset; callers count once however
    // deeply their groups nest.
    int PeakBusy() const;
    void ResetPeakBusy();

private:
    struct Group;

    void StartWorkers();
    void Work(unsigned generation);
    void RunNext(Group& group, std::unique_lock<std::mutex>& lock, bool takesSlot);
    void Close(Group& group);

    mutable std::mutex mutex_;
    std::condition_variable workWaiting_;  // workers: a task is queued and a thread may start it
    std::condition_variable progress_;     // callers: a task finished
    int limit_;
    int busy_ = 0;
    int peak_ = 0;
    std::vector<Group*> open_;  // groups with tasks not yet started, newest last
    std::vector<std::thread> workers_;
    unsigned generation_ = 0;  // bumped to retire every worker when the limit changes
    bool workersStarted_ = false;
};

}  // namespace vorbix
