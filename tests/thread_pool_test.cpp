#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "cli/batch.h"
#include "io/picture_decode.h"
#include "core/thread_pool.h"
#include "io/bmp_file.h"

namespace vorbix {
namespace {

using namespace std::chrono_literals;

// A pool that deadlocks must fail the test, not hang it: the work runs on a detached thread
// that owns everything it touches.
bool FinishesWithin(std::chrono::seconds limit, std::function<void()> work) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([done, work = std::move(work)] {
        work();
        done->set_value();
    }).detach();
    return finished.wait_for(limit) == std::future_status::ready;
}

// Holds each task until `parties` tasks are inside at once, proving the pool ran them together;
// gives up after a while so that a pool that runs too few at once fails instead of hanging.
class Rendezvous {
public:
    explicit Rendezvous(int parties) : parties_(parties) {}
    bool Arrive() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (++arrived_ >= parties_) all_.notify_all();
        return all_.wait_for(lock, 10s, [&] { return arrived_ >= parties_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable all_;
    int parties_;
    int arrived_ = 0;
};

TEST(ThreadPool, EveryTaskOfAGroupRunsOnceOnAtMostTheLimit) {
    for (const int limit : {1, 2, 4})
        for (const int count : {0, 1, 3, 100}) {
            ThreadPool pool(limit);
            std::vector<std::atomic<int>> runs(count);
            std::vector<long long> squares(count, -1);
            pool.Run(count, [&](int i) {
                ++runs[i];
                squares[i] = static_cast<long long>(i) * i;
            });
            for (int i = 0; i < count; ++i) {
                EXPECT_EQ(runs[i], 1) << "limit " << limit << " task " << i;
                EXPECT_EQ(squares[i], static_cast<long long>(i) * i) << "limit " << limit << " task " << i;
            }
            EXPECT_LE(pool.PeakBusy(), limit);
        }
}

TEST(ThreadPool, RunsAsManyTasksAtOnceAsTheLimit) {
    for (const int limit : {2, 3}) {
        ThreadPool pool(limit);
        Rendezvous together(limit);
        std::atomic<int> met{0};
        pool.Run(limit, [&](int) { met += together.Arrive(); });
        EXPECT_EQ(met, limit) << "limit " << limit;
        EXPECT_EQ(pool.PeakBusy(), limit);
    }
}

// Outer tasks that each wait on a group of their own: with every thread inside an outer task,
// only the callers themselves can run the inner tasks.
TEST(ThreadPool, NestedGroupsFinish) {
    for (const int limit : {1, 2}) {
        auto pool = std::make_shared<ThreadPool>(limit);
        auto sums = std::make_shared<std::vector<long long>>(6, 0);
        const bool finished = FinishesWithin(60s, [pool, sums] {
            pool->Run(6, [&](int outer) {
                std::vector<long long> parts(50, 0);
                pool->Run(50, [&](int inner) {
                    std::vector<int> leaves(4, 0);
                    pool->Run(4, [&](int leaf) { leaves[leaf] = 1; });
                    parts[inner] = (outer * 100 + inner) * (leaves[0] + leaves[1] + leaves[2] + leaves[3]);
                });
                for (long long part : parts) (*sums)[outer] += part;
            });
        });
        ASSERT_TRUE(finished) << "limit " << limit;
        for (int outer = 0; outer < 6; ++outer)
            EXPECT_EQ((*sums)[outer], 4 * (outer * 100 * 50 + 49 * 50 / 2)) << "limit " << limit << " outer " << outer;
        EXPECT_LE(pool->PeakBusy(), limit);
    }
}

TEST(ThreadPool, ThreadsOutsideThePoolShareTheLimit) {
    ThreadPool pool(2);
    auto submit = [&] { pool.Run(20, [](int) { std::this_thread::sleep_for(1ms); }); };
    std::thread first(submit), second(submit);
    first.join();
    second.join();
    EXPECT_LE(pool.PeakBusy(), 2);
}

// The window's thread must not wait for background work to give up a place.
TEST(ThreadPool, AThreadThatNeverWaitsRunsItsGroupWhileEveryPlaceIsTaken) {
    auto pool = std::make_shared<ThreadPool>(1);
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    std::promise<void> holding;
    std::thread holder([&] { pool->Run(1, [&](int) { holding.set_value(); released.wait(); }); });
    holding.get_future().wait();
    const bool ran = FinishesWithin(10s, [pool] {
        ThreadPool::NeverWaitOnThisThread();
        pool->Run(4, [](int) {});
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(pool->PeakBusy(), 1) << "the thread that never waits takes no place";
    release->set_value();
    holder.join();
}

TEST(ThreadPool, ATaskExceptionReachesTheCallerAndThePoolGoesOn) {
    for (const int limit : {1, 2}) {
        ThreadPool pool(limit);
        const struct {
            const char* name;
            std::function<void()> run;
        } cases[] = {
            {"flat", [&] { pool.Run(10, [](int i) { if (i == 3) throw std::runtime_error("thrown"); }); }},
            {"nested", [&] {
                 pool.Run(3, [&](int outer) {
                     pool.Run(4, [&](int inner) { if (outer == 1 && inner == 2) throw std::runtime_error("thrown"); });
                 });
             }},
        };
        for (const auto& c : cases) {
            try {
                c.run();
                ADD_FAILURE() << c.name << " limit " << limit << ": nothing thrown";
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "thrown") << c.name << " limit " << limit;
            }
            pool.ResetPeakBusy();
            EXPECT_EQ(pool.PeakBusy(), 0) << c.name << " limit " << limit << ": a thread still counted busy";
            std::atomic<int> ran{0};
            pool.Run(8, [&](int) { ++ran; });
            EXPECT_EQ(ran, 8) << c.name << " limit " << limit;
        }
    }
}

TEST(ThreadPool, TheLimitCanChangeBetweenGroups) {
    ThreadPool pool(3);
    pool.Run(10, [](int) {});
    pool.SetThreadLimit(1);
    EXPECT_EQ(pool.ThreadLimit(), 1);
    pool.ResetPeakBusy();
    pool.Run(30, [](int) { std::this_thread::sleep_for(100us); });
    EXPECT_EQ(pool.PeakBusy(), 1);
    pool.SetThreadLimit(4);
    Rendezvous together(4);
    std::atomic<int> met{0};
    pool.Run(4, [&](int) { met += together.Arrive(); });
    EXPECT_EQ(met, 4);
    EXPECT_THROW(pool.SetThreadLimit(0), std::invalid_argument);
    EXPECT_THROW(pool.Run(2, [&](int) { pool.SetThreadLimit(2); }), std::logic_error);
    EXPECT_EQ(pool.ThreadLimit(), 4);
}

// Puts the shared pool's limit back for the tests that follow.
struct SharedLimitRestorer {
    int limit = ThreadPool::Shared().ThreadLimit();
    ~SharedLimitRestorer() { ThreadPool::Shared().SetThreadLimit(limit); }
};

// Pictures big enough that scaling them splits into bands, so a batch job nests a group inside
// its own; --jobs must bound the threads of both together.
TEST(ThreadPool, BatchBusyThreadsStayWithinJobs) {
    const SharedLimitRestorer restorer;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CliOptions options;
    options.outDir = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(options.outDir));
    for (int p = 0; p < 3; ++p) {
        Picture picture(3000, 2000);
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                picture.SetPixel(x, y, MakeColour(x * 255 / 2999, y * 255 / 1999, (x + y + p * 80) % 256));
        options.pictures.append(dir.filePath(QString("picture%1.bmp").arg(p)));
        ASSERT_TRUE(WriteBmp24(options.pictures.back().toStdString(), picture).Ok());
    }
    const QStringList all = options.pictures;
    const struct {
        int pictures;
        int jobs;
    } cases[] = {{3, 1}, {3, 2}, {1, 2}};  // one picture: only its bands can run at once
    for (const auto& c : cases) {
        options.pictures = all.mid(0, c.pictures);
        ThreadPool::Shared().ResetPeakBusy();
        MemoryBudget budget(MemoryBudget::HalfOfTheMachine());
        for (const PictureOutcome& outcome : ConvertAll(options, c.jobs, budget))
            EXPECT_FALSE(outcome.error) << outcome.error->toStdString();
        EXPECT_EQ(ThreadPool::Shared().PeakBusy(), c.jobs) << c.pictures << " pictures, jobs " << c.jobs;
    }
}

// Pictures converted at once share one memory budget: a picture waits while the others hold too
// much, and one bigger than the whole budget runs alone rather than failing.
TEST(ThreadPool, BatchPicturesShareOneMemoryBudget) {
    const SharedLimitRestorer restorer;
    QTemporaryDir dir;
    CliOptions options;
    options.outDir = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(options.outDir));
    for (int p = 0; p < 3; ++p) {
        options.pictures.append(dir.filePath(QString("picture%1.bmp").arg(p)));
        ASSERT_TRUE(WriteBmp24(options.pictures.back().toStdString(), Picture(1000, 1000, MakeColour(p * 90, 0, 0))).Ok());
    }
    const std::int64_t onePicture = ClaimedSize(options.pictures[0].toStdString()).Pixels() * 16 + QFileInfo(options.pictures[0]).size();
    ASSERT_EQ(ClaimedSize(options.pictures[0].toStdString()).Pixels(), 1000000);
    const struct {
        double budgetInPictures;
        std::int64_t peakInPictures;
    } cases[] = {{10, 2}, {1.5, 1}, {0.5, 1}};
    for (const auto& c : cases) {
        MemoryBudget budget(static_cast<std::int64_t>(c.budgetInPictures * onePicture));
        for (const PictureOutcome& outcome : ConvertAll(options, 2, budget))
            EXPECT_FALSE(outcome.error) << outcome.error->toStdString();
        EXPECT_LE(budget.PeakHeld(), c.peakInPictures * onePicture) << "budget of " << c.budgetInPictures << " pictures";
    }
}

}  // namespace
}  // namespace vorbix
