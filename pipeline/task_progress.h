#pragma once

namespace vorbix {

// How a long task tells whoever waits for it how far it has come, and learns whether to stop.
// Called on the task's own thread.
class TaskProgress {
public:
    virtual ~TaskProgress() = default;
    virtual void Report(double fraction) = 0;  // 0 to 1
    // The task's score so far (the likeness score: lower is better), for those who show it.
    virtual void Scored(double /*before*/, double /*now*/) {}
    virtual bool Cancelled() = 0;
};

}  // namespace vorbix
