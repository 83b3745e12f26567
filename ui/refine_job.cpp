#include "ui/refine_job.h"

namespace vorbix {

namespace {

// Passes the search's progress to the window's thread, a whole percent at a time.
class ReportToContext : public TaskProgress {
public:
    ReportToContext(QObject* context, RefineJob::Progress progress, std::shared_ptr<std::atomic<bool>> cancelled)
        : context_(context), progress_(std::move(progress)), cancelled_(std::move(cancelled)) {}

    void Report(double fraction) override {
        const int percent = static_cast<int>(fraction * 100);
        if (percent == last_) return;
        last_ = percent;
        QMetaObject::invokeMethod(context_, [progress = progress_, percent] { progress(percent); }, Qt::QueuedConnection);
    }
    bool Cancelled() override { return cancelled_->load(); }

private:
    QObject* context_;
    RefineJob::Progress progress_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    int last_ = -1;
};

}  // namespace

RefineJob::RefineJob(QObject* context, RefineStart start, double seconds, Progress progress, Done done) {
    thread_ = QThread::create([context, start = std::move(start), seconds,
                               progress = std::move(progress), done = std::move(done), cancelled = cancelled_] {
        ReportToContext reporter(context, progress, cancelled);
        Refinement refined = Refine(start, seconds, &reporter);
        QMetaObject::invokeMethod(
            context, [done, start, refined = std::move(refined)] { done(start, refined); }, Qt::QueuedConnection);
    });
    thread_->start();
}

RefineJob::~RefineJob() {
    Cancel();
    thread_->wait();
    delete thread_;
}

}  // namespace vorbix
