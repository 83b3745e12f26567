#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "bench/photo.h"
#include "core/delta_e.h"
#include "core/likeness.h"

namespace vorbix {
namespace {

// The photo with strong per-pixel noise, as a dithered conversion leaves it.
Picture Noisy(const Picture& photo) {
    Picture noisy = photo;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> step(-40, 40);
    for (std::size_t i = 0; i < noisy.ByteCount(); ++i)
        noisy.Data()[i] = static_cast<std::uint8_t>(std::clamp(noisy.Data()[i] + step(random), 0, 255));
    return noisy;
}

// The full 512 x 480 score, and the reduced copies "Best colours" scores every set on (1/4, 1/8,
// 1/16), which it scores as if their pixels were the screen's.
template <double (*Score)(const Picture&, const Picture&, double)>
void ScoreOnPhoto(benchmark::State& bench) {
    const int reduction = static_cast<int>(bench.range(0));
    const Picture photo = PhotoLikePicture(512 / reduction, 480 / reduction);
    const Picture noisy = Noisy(photo);
    double score = 0;
    for (auto _ : bench) benchmark::DoNotOptimize(score = Score(photo, noisy, kTvcSamplesPerDegree));
    bench.counters["score"] = score;  // beside the time, so a faster score that changed shows
}

double Likeness(const Picture& reference, const Picture& shown, double samplesPerDegree) {
    return LikenessScore(reference, shown, samplesPerDegree);
}
double DeltaE(const Picture& reference, const Picture& shown, double samplesPerDegree) {
    return DeltaEScore(reference, shown, samplesPerDegree);
}

void BM_LikenessScore(benchmark::State& bench) { ScoreOnPhoto<Likeness>(bench); }
void BM_DeltaEScore(benchmark::State& bench) { ScoreOnPhoto<DeltaE>(bench); }
BENCHMARK(BM_LikenessScore)->Arg(1)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeltaEScore)->Arg(1)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorbix
