#include "ui/background_task.h"

#include <utility>

namespace vorbix {

namespace {

// Passes the work's progress to the context's thread, a whole percent at a time.
class ReportToContext : public TaskProgress {
public:
    ReportToContext(QObject* context, BackgroundTask::Progress progress, std::shared_ptr<std::atomic<bool>> cancelled)
        : context_(context), progress_(std::move(progress)), cancelled_(std::move(cancelled)) {}

    void Report(double fraction) override {
        const int percent = static_cast<int>(fraction * 100);
        if (percent == last_) return;
        last_ = percent;
        QMetaObject::invokeMethod(context_, [done = progress_.done, percent] { done(percent); }, Qt::QueuedConnection);
    }
    void Scored(double before, double now) override {
        QMetaObject::invokeMethod(context_, [scored = progress_.scored, before, now] { scored(before, now); },
                                  Qt::QueuedConnection);
    }
    bool Cancelled() override { return cancelled_->load(); }

private:
    QObject* context_;
    BackgroundTask::Progress progress_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    int last_ = -1;
};

}  // namespace

BackgroundTask::BackgroundTask(QObject* context, Work work, Progress progress, Done done) {
    thread_ = QThread::create([context, work = std::move(work), progress = std::move(progress), done = std::move(done),
                               cancelled = cancelled_] {
        ReportToContext reporter(context, progress, cancelled);
        work(reporter);
        QMetaObject::invokeMethod(context, done, Qt::QueuedConnection);
    });
    thread_->start();
}

BackgroundTask::~BackgroundTask() {
    Cancel();
    thread_->wait();
    delete thread_;
}

void NewestRequest::Ask(Question question) {
    ++asked_;
    if (running_)
        waiting_ = std::move(question);
    else
        Start(std::move(question));
}

void NewestRequest::Forget() {
    ++asked_;
    waiting_ = nullptr;
}

void NewestRequest::Start(Question question) {
    const auto answer = std::make_shared<Answer>();
    running_ = std::make_unique<BackgroundTask>(
        context_, [question = std::move(question), answer](TaskProgress&) { *answer = question(); },
        BackgroundTask::Progress{[](int) {}, [](double, double) {}},
        [this, answer, number = asked_] {
            running_.reset();
            if (waiting_) return Start(std::exchange(waiting_, nullptr));
            if (number == asked_ && *answer) (*answer)();
        });
}

}  // namespace vorbix
