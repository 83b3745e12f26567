#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

#include "pipeline/refine.h"

namespace vorbix {

// Refines a copy of a result on a thread of its own, so the window keeps answering. Progress and
// the end are reported on the thread of the context object, which must outlive the job (a
// report still queued when it goes is dropped with it).
class RefineJob {
public:
    using Progress = std::function<void(int percent)>;
    using Done = std::function<void(const RefineStart& start, const Refinement& refined)>;

    RefineJob(QObject* context, RefineStart start, double seconds, Progress progress, Done done);
    // Cancels the search and waits for its thread.
    ~RefineJob();
    RefineJob(const RefineJob&) = delete;
    RefineJob& operator=(const RefineJob&) = delete;

    void Cancel() { cancelled_->store(true); }

private:
    std::shared_ptr<std::atomic<bool>> cancelled_ = std::make_shared<std::atomic<bool>>(false);
    QThread* thread_ = nullptr;
};

}  // namespace vorbix
