#include "core/likeness.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>

#include "core/cielab.h"
#include "core/parallel.h"

namespace vorbix {
namespace {

// Blocks are powers of two up to this wide, so that a strip of the fast blur holds whole blocks.
constexpr int kLargestBlock = 16;
static_assert(kEyeStripRows % kLargestBlock == 0);

// The power of two nearest a spread of view, in pixels.
int BlockFor(double spread, double samplesPerDegree) {
    const double pixels = spread * samplesPerDegree;
    int block = 1;
    while (block < kLargestBlock && pixels >= block * std::numbers::sqrt2) block *= 2;
    return block;
}

// v to the pooling's exponent, taken as at least 1.
template <typename T>
T Power(T v, int exponent) {
    T result = v;
    for (int i = 1; i < exponent; ++i) result *= v;
    return result;
}

bool Comparable(const Picture& reference, const Picture& shown) {
    return reference.Width() == shown.Width() && reference.Height() == shown.Height();
}

// A grid of blocks of `block` pixels over a w x h picture; the last row and column may be short.
struct Grid {
    Grid(int w, int h, int block)
        : block(block), pixelsWide(w), pixelsHigh(h), width((w + block - 1) / block), height((h + block - 1) / block) {}
    std::size_t Size() const { return static_cast<std::size_t>(width) * height; }
    std::size_t At(int x, int y) const { return static_cast<std::size_t>(y / block) * width + x / block; }
    int Pixels(int bx, int by) const {
        return std::min(block, pixelsWide - bx * block) * std::min(block, pixelsHigh - by * block);
    }

    int block, pixelsWide, pixelsHigh, width, height;
};

// Per block of the grid, from both pictures' eye-blurred CIELAB summed over each block
// ([p * 3 + c]): the colour difference of the window of blocks around it, and the lightness
// contrast the shown picture lost there, weighed into one error.
template <typename T>
std::vector<T> BlockErrors(const Grid& grid, const std::array<std::vector<T>, 6>& sums, const LikenessWeights& weights) {
    const int reach = weights.window / 2;
    std::vector<T> out(grid.Size());
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x) {
            std::array<T, 6> total{};
            T pixels = 0, sumL[2] = {0, 0}, sumLL[2] = {0, 0};
            int blocks = 0;
            for (int v = std::max(0, y - reach); v <= std::min(grid.height - 1, y + reach); ++v)
                for (int u = std::max(0, x - reach); u <= std::min(grid.width - 1, x + reach); ++u, ++blocks) {
                    const std::size_t at = static_cast<std::size_t>(v) * grid.width + u;
                    const T n = T(grid.Pixels(u, v));
                    for (int k = 0; k < 6; ++k) total[k] += sums[k][at];
                    pixels += n;
                    for (int p = 0; p < 2; ++p) {
                        const T lightness = sums[3 * p][at] / n;
                        sumL[p] += lightness;
                        sumLL[p] += lightness * lightness;
                    }
                }
            const T dL = T(weights.lightnessWeight) * (total[3] - total[0]) / pixels;
            const T da = (total[4] - total[1]) / pixels, db = (total[5] - total[2]) / pixels;
            T spread[2];
            for (int p = 0; p < 2; ++p) {
                const T mean = sumL[p] / T(blocks);
                spread[p] = std::sqrt(std::max(sumLL[p] / T(blocks) - mean * mean, T(0)));
            }
            out[static_cast<std::size_t>(y) * grid.width + x] =
                std::sqrt(dL * dL + da * da + db * db) + T(weights.contrastWeight) * std::max(spread[0] - spread[1], T(0));
        }
    return out;
}

// ---- Fast ----

// Both pictures' eye-blurred CIELAB summed over the blocks of one grid: [p * 3 + c].
struct BlockSums {
    explicit BlockSums(const Grid& grid) : grid(grid) {
        for (std::vector<float>& plane : sums) plane.assign(grid.Size(), 0.0f);
    }
    // Row y's CIELAB: lab[p * 3 + c], each strip.width long.
    void AddRow(const std::array<std::vector<float>, 6>& lab, int y) {
        const std::size_t row = static_cast<std::size_t>(y / grid.block) * grid.width;
        const int shift = std::countr_zero(static_cast<unsigned>(grid.block));
        for (int k = 0; k < 6; ++k) {
            float* out = &sums[k][row];
            for (std::size_t x = 0; x < lab[k].size(); ++x) out[x >> shift] += lab[k][x];
        }
    }

    Grid grid;
    std::array<std::vector<float>, 6> sums;
};

double ScoreFast(const Picture& reference, const Picture& shown, double samplesPerDegree,
                 const LikenessWeights& weights, std::vector<float>* parts) {
    const int w = reference.Width(), h = reference.Height();
    BlockSums blocks(Grid(w, h, BlockFor(weights.blockSpread, samplesPerDegree)));
    const bool fine = weights.fineWeight > 0;
    std::vector<float> errors(static_cast<std::size_t>(w) * h);
    EyeBlurInStrips(reference, shown, samplesPerDegree, [&](const BlurredStrip& strip) {
        std::array<std::vector<float>, 6> lab;
        for (std::vector<float>& plane : lab) plane.resize(w);
        for (int y = strip.y0; y < strip.y1; ++y) {
            const float* one[3] = {strip.Row(0, 0, y), strip.Row(0, 1, y), strip.Row(0, 2, y)};
            const float* two[3] = {strip.Row(1, 0, y), strip.Row(1, 1, y), strip.Row(1, 2, y)};
            if (fine) Ciede2000Row(one, two, w, &errors[static_cast<std::size_t>(y) * w]);
            for (int p = 0; p < 2; ++p) {
                const float* const* in = p == 0 ? one : two;
                for (int x = 0; x < w; ++x) {
                    const LabOf<float> colour(in[0][x], in[1][x], in[2][x]);
                    lab[3 * p][x] = colour.L;
                    lab[3 * p + 1][x] = colour.a;
                    lab[3 * p + 2][x] = colour.b;
                }
            }
            blocks.AddRow(lab, y);
        }
    });
    const std::vector<float> near = BlockErrors(blocks.grid, blocks.sums, weights);

    const float fineWeight = float(weights.fineWeight);
    std::vector<double> rowSums(h);
    ParallelBands(h, 40LL * w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            float* row = &errors[static_cast<std::size_t>(y) * w];
            for (int x = 0; x < w; ++x) row[x] = Power(fineWeight * row[x] + near[blocks.grid.At(x, y)], weights.pooling);
            rowSums[y] = std::accumulate(row, row + w, 0.0);
        }
    });
    // Rows are summed in order, so the number of threads does not change the score.
    const double mean = std::accumulate(rowSums.begin(), rowSums.end(), 0.0) / (static_cast<double>(w) * h);
    if (parts) *parts = std::move(errors);
    return std::pow(mean, 1.0 / std::max(1, weights.pooling));
}

// ---- Plain ----

Channels Blurred(const Picture& picture, double samplesPerDegree) {
    Channels channels = OpponentChannels(picture);
    for (int c = 0; c < 3; ++c) channels[c] = EyeBlurPlain(channels[c], kEyeKernels[c], samplesPerDegree);
    return channels;
}

}  // namespace

double LikenessScore(const Picture& reference, const Picture& shown, double samplesPerDegree,
                     const LikenessWeights& weights) {
    if (!Comparable(reference, shown)) return std::numeric_limits<double>::infinity();
    if (reference.Empty()) return 0;
    return ScoreFast(reference, shown, samplesPerDegree, weights, nullptr);
}

double LikenessScore(const Picture& reference, const Picture& shown, std::vector<float>& parts,
                     double samplesPerDegree, const LikenessWeights& weights) {
    parts.clear();
    if (!Comparable(reference, shown)) return std::numeric_limits<double>::infinity();
    if (reference.Empty()) return 0;
    return ScoreFast(reference, shown, samplesPerDegree, weights, &parts);
}

double LikenessScorePlain(const Picture& reference, const Picture& shown, double samplesPerDegree,
                          const LikenessWeights& weights) {
    if (!Comparable(reference, shown)) return std::numeric_limits<double>::infinity();
    if (reference.Empty()) return 0;
    const int w = reference.Width(), h = reference.Height();
    const Channels one = Blurred(reference, samplesPerDegree), two = Blurred(shown, samplesPerDegree);
    const Grid grid(w, h, BlockFor(weights.blockSpread, samplesPerDegree));
    std::array<std::vector<double>, 6> sums;
    for (std::vector<double>& plane : sums) plane.assign(grid.Size(), 0.0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int p = 0; p < 2; ++p) {
                const Channels& blurred = p == 0 ? one : two;
                const Lab lab = LabOfOpponent({blurred[0].Row(y)[x], blurred[1].Row(y)[x], blurred[2].Row(y)[x]});
                sums[3 * p][grid.At(x, y)] += lab.L;
                sums[3 * p + 1][grid.At(x, y)] += lab.a;
                sums[3 * p + 2][grid.At(x, y)] += lab.b;
            }
    const std::vector<double> near = BlockErrors(grid, sums, weights);
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Lab p = LabOfOpponent({one[0].Row(y)[x], one[1].Row(y)[x], one[2].Row(y)[x]});
            const Lab q = LabOfOpponent({two[0].Row(y)[x], two[1].Row(y)[x], two[2].Row(y)[x]});
            sum += Power(weights.fineWeight * Ciede2000(p, q) + near[grid.At(x, y)], weights.pooling);
        }
    return std::pow(sum / (static_cast<double>(w) * h), 1.0 / std::max(1, weights.pooling));
}

}  // namespace vorbix
