#include "ui/controls.h"
#include "ui/form1.h"

namespace vorbix {

void Form1::BuildRefine() {
    refine_ = AddButton(client_, "Refine", QRect(952, 624, 88, 33), "Refine",
                        "Improve the result pixel by pixel, in Graphics 2 and 4 its colours too, until no change "
                        "makes it look more like the source (lower likeness); one undo step",
                        [this] { Refine_Click(); });
    refineProgress_ = Place(new QProgressBar(client_), "RefineProgress", QRect(864, 632, 80, 17));
    refineProgress_->setRange(0, 100);
    refineProgress_->setToolTip("How much of the time Refine may take has gone");
    refineProgress_->hide();
}

void Form1::RunInBackground(const QString& status, std::optional<long> conversion, BackgroundTask::Work work,
                            std::function<void(bool cancelled)> finished) {
    task_.reset();
    const long number = ++taskNumber_;
    taskConversion_ = conversion;
    refineProgress_->setValue(0);
    refineProgress_->show();
    refine_->setText("Cancel");
    SetStatus(status);
    task_ = std::make_unique<BackgroundTask>(
        this, std::move(work),
        BackgroundTask::Progress{[this, number](int percent) {
                                     if (number == taskNumber_) refineProgress_->setValue(percent);
                                 },
                                 [this, number, status](double before, double now) {
                                     if (number == taskNumber_)
                                         SetStatus(QString("%1 likeness %2 → %3").arg(status).arg(before, 0, 'f', 1).arg(now, 0, 'f', 1));
                                 }},
        [this, number, finished = std::move(finished)] {
            if (number != taskNumber_) return;
            const bool cancelled = task_->Cancelled();
            task_.reset();
            refineProgress_->hide();
            refine_->setText("Refine");
            finished(cancelled);
        });
}

void Form1::Refine_Click() {
    if (task_) return task_->Cancel();
    if (session_.ConversionCount() == 0 || session_.ShowsScreenFile()) return SetStatus("Nothing to refine");
    const auto start = std::make_shared<const RefineStart>(SettledSession().StartOfRefinement());
    const auto refined = std::make_shared<Refinement>();
    RunInBackground(
        "Refining…", session_.ConversionCount(),
        [start, refined, seconds = refineSeconds_](TaskProgress& progress) { *refined = Refine(*start, seconds, &progress); },
        [this, start, refined](bool cancelled) {
            refined->cancelled = refined->cancelled || cancelled;
            RefineFinished(*start, *refined);
        });
}

void Form1::RefineFinished(const RefineStart& start, const Refinement& refined) {
    if (refined.cancelled) return SetStatus("Refine cancelled; the result is as it was");
    bool taken = false;
    history_.Run(SettledSession(), EditKind::Refine, [&] { taken = session_.AcceptRefinement(start, refined, refineSeconds_); });
    if (!taken) return SetStatus("The picture changed while refining; the refinement was not taken");
    ShowState();
    SetStatus(QString("Refined in %1 s: likeness %2 → %3%4")
                  .arg(refined.seconds, 0, 'f', 1)
                  .arg(refined.scoreBefore, 0, 'f', 1)
                  .arg(refined.scoreAfter, 0, 'f', 1)
                  .arg(refined.converged ? "" : " (stopped at the time limit)"));
}

}  // namespace vorbix
