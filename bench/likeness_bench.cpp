#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "bench/photo.h"
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

// The full 512 x 480 score, and the reduced copies "Best colours" scores every set on (1/4, 1/8).
void BM_LikenessScore(benchmark::State& bench) {
    const int reduction = static_cast<int>(bench.range(0));
    const Picture photo = PhotoLikePicture(512 / reduction, 480 / reduction);
    const Picture noisy = Noisy(photo);
    double score = 0;
    for (auto _ : bench) benchmark::DoNotOptimize(score = LikenessScore(photo, noisy, kTvcSamplesPerDegree / reduction));
    bench.counters["score"] = score;  // beside the time, so a faster score that changed shows
}
BENCHMARK(BM_LikenessScore)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorbix
