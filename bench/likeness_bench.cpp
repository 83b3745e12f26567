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

void BM_LikenessScore(benchmark::State& bench) {
    const Picture photo = PhotoLikePicture(512, 480);
    const Picture noisy = Noisy(photo);
    double score = 0;
    for (auto _ : bench) benchmark::DoNotOptimize(score = LikenessScore(photo, noisy));
    bench.counters["score"] = score;  // beside the time, so a faster score that changed shows
}
BENCHMARK(BM_LikenessScore)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorbix
