#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "bench/photo.h"
#include "dither/methods.h"
#include "io/picture_decode.h"
#include "pipeline/best_colours.h"

namespace vorbix {
namespace {

constexpr int kStucky = 13;

double ScoreWith(const Session& session, TvcMode mode, const std::vector<ColourValue>& swatches) {
    Session trial = session;
    trial.ChooseSwatches(mode, swatches);
    return trial.Likeness();
}

// Every set of the 15 colours that look different, each converted and scored in full.
double ExhaustiveBest(const Session& session, TvcMode mode) {
    const Palette tvc = TvcColours();
    const int count = ModeOf(mode).swatchCount;
    double best = std::numeric_limits<double>::max();
    for (unsigned set = 0; set < (1u << 16); ++set) {
        if (std::popcount(set) != count || (set & (1u << 8))) continue;  // the second black looks like the first
        std::vector<ColourValue> swatches;
        for (int c = 0; c < 16; ++c)
            if (set & (1u << c)) swatches.push_back(ColourOfEntry(tvc[c]));
        best = std::min(best, ScoreWith(session, mode, swatches));
    }
    return best;
}

// "Best colours" on one photo with "Stucky": the search's time, and its choice against the
// default swatches and the exhaustive best (counters; the exhaustive search runs once, untimed).
void BestColoursOnPhoto(benchmark::State& bench, const std::string& path, TvcMode mode) {
    Session session;
    session.ChooseMode(mode);
    session.ChooseMethod(kStucky);
    session.Load(ReadPicture(path).Value());
    std::vector<ColourValue> chosen;
    for (auto _ : bench) chosen = BestSwatches(session, mode);
    const double exhaustive = ExhaustiveBest(session, mode);
    const double score = ScoreWith(session, mode, chosen);
    bench.counters["default"] = session.Likeness();
    bench.counters["chosen"] = score;
    bench.counters["exhaustive"] = exhaustive;
    bench.counters["chosen/best"] = score / exhaustive;
}

// One case per JPEG in the folder VORBIX_PHOTOS names, in each mode with swatches.
const bool kRegistered = [] {
    const char* folder = std::getenv("VORBIX_PHOTOS");
    if (!folder) return false;
    for (const std::string& path : JpegsIn({folder}))
        for (const TvcMode mode : {TvcMode::Graphics4, TvcMode::Graphics2}) {
            const std::string label = "BM_BestColoursOnPhoto/" + std::filesystem::path(path).filename().string() +
                                      "/G" + std::to_string(ModeOf(mode).number);
            benchmark::RegisterBenchmark(label.c_str(), BestColoursOnPhoto, path, mode)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(5);
        }
    return true;
}();

}  // namespace
}  // namespace vorbix
