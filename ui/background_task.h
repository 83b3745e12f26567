#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

#include "pipeline/task_progress.h"

namespace vorbix {

// Runs a long piece of work (a refinement, a replay with refinements) on a thread of its own, so
// the window keeps answering. Progress and the end are reported on the thread of the context
// object, which must outlive the task (a report still queued when it goes is dropped with it).
class BackgroundTask {
public:
    using Work = std::function<void(TaskProgress& progress)>;
    // What the work tells as it goes.
    struct Progress {
        std::function<void(int percent)> done;
        std::function<void(double before, double now)> scored;
    };
    using Done = std::function<void()>;

    BackgroundTask(QObject* context, Work work, Progress progress, Done done);
    // Cancels the work and waits for its thread.
    ~BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    void Cancel() { cancelled_->store(true); }
    // Asked for, whether or not the work had finished by then: its result is not wanted.
    bool Cancelled() const { return cancelled_->load(); }

private:
    std::shared_ptr<std::atomic<bool>> cancelled_ = std::make_shared<std::atomic<bool>>(false);
    QThread* thread_ = nullptr;
};

// A readout worked out in the background where only the newest answer counts: one question runs
// at a time, a question asked meanwhile waits in place of any waiting before it, and an answer is
// shown (run on the context's thread) only when no newer question was asked since.
class NewestRequest {
public:
    using Answer = std::function<void()>;
    // Runs on the task's thread: it must hold copies of what it reads.
    using Question = std::function<Answer()>;

    explicit NewestRequest(QObject* context) : context_(context) {}
    void Ask(Question question);
    // Answers still to come are not shown.
    void Forget();

private:
    void Start(Question question);

    QObject* context_;
    std::unique_ptr<BackgroundTask> running_;
    Question waiting_;
    long asked_ = 0;
};

}  // namespace vorbix
