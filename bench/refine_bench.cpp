#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

#include "bench/photo.h"
#include "dither/methods.h"
#include "io/picture_decode.h"
#include "pipeline/best_colours.h"
#include "pipeline/likeness_of.h"
#include "pipeline/refine.h"

namespace vorbix {
namespace {

constexpr double kLongestBudget = 5.0;
constexpr double kCheckpoints[] = {0.25, 0.5, 1.0, 2.0};

// The best of the seventeen methods on the picture, each with its best colours where the mode
// has swatches, as the session that shows it.
Session BestOfTheMethods(const std::string& path, TvcMode mode) {
    Session session;
    session.ChooseMode(mode);
    session.Load(ReadPicture(path).Value());
    Session best = session;
    double bestScore = std::numeric_limits<double>::max();
    for (int method = 1; method <= kMethodCount; ++method) {
        Session trial = session;
        ChooseMethodWithBestColours(trial, method);
        const double score = trial.Likeness();
        if (score < bestScore) {
            bestScore = score;
            best = trial;
        }
    }
    return best;
}

// Refine from the best of the seventeen: the score against time (a run of its own stopped at each
// checkpoint, or the long run's score where it had converged by then), the time to convergence
// (0 when it did not converge within the longest budget), the swatches it moved, and the colour
// difference before and after.
void RefineOnPhoto(benchmark::State& bench, const std::string& path, TvcMode mode) {
    const Session best = BestOfTheMethods(path, mode);
    const RefineStart start = best.StartOfRefinement();
    Refinement longest;
    for (auto _ : bench) longest = Refine(start, kLongestBudget);
    bench.counters["method"] = best.Method();
    bench.counters["best17"] = longest.scoreBefore;
    for (double checkpoint : kCheckpoints) {
        const double score = longest.converged && longest.seconds <= checkpoint ? longest.scoreAfter
                                                                                : Refine(start, checkpoint).scoreAfter;
        bench.counters["at" + std::to_string(checkpoint).substr(0, 4) + "s"] = score;
    }
    bench.counters["at5s"] = longest.scoreAfter;
    bench.counters["ratio"] = longest.scoreAfter / longest.scoreBefore;
    bench.counters["converged_s"] = longest.converged ? longest.seconds : 0.0;
    bench.counters["swatch_moves"] = longest.swatchChanges;
    // The colour difference alone, beside the likeness the search follows.
    bench.counters["dE_best17"] = best.DeltaE();
    bench.counters["dE_at5s"] = DeltaEOf(start.sourceView, start.mode, longest.surface, longest.palette);
}

// One case per JPEG in the folder VORBIX_PHOTOS names (and the samples), in each mode.
const bool kRegistered = [] {
    const char* folder = std::getenv("VORBIX_PHOTOS");
    if (!folder) return false;
    for (const std::string& path : JpegsIn({folder, VORBIX_SOURCE_DIR "/samples"}))
        for (const TvcMode mode : {TvcMode::Graphics16, TvcMode::Graphics4, TvcMode::Graphics2}) {
            const std::string label = "BM_RefineOnPhoto/" + std::filesystem::path(path).filename().string() + "/G" +
                                      std::to_string(ModeOf(mode).number);
            benchmark::RegisterBenchmark(label.c_str(), RefineOnPhoto, path, mode)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
        }
    return true;
}();

}  // namespace
}  // namespace vorbix
