#include "core/likeness.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

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
    ParallelBands(grid.height, 12LL * grid.width * weights.window * weights.window, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
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
    });
    return out;
}

// ---- Fast ----

// Over the blocks of one grid: both pictures' eye-blurred CIELAB summed ([p * 3 + c]), and the
// pixels' S-CIELAB ΔE00 raised to the powers 1 ... pooling and summed ([k - 1]). The pooled error
// of a block's pixels, (fine e + near)^pooling summed, follows from these by the binomial
// theorem, so no pixel's error has to wait for the blocks around it.
struct BlockSums {
    BlockSums(const Grid& grid, int powers) : grid(grid), powersOfFine(powers) {
        for (std::vector<float>& plane : lab) plane.assign(grid.Size(), 0.0f);
        for (std::vector<float>& plane : powersOfFine) plane.assign(grid.Size(), 0.0f);
    }
    // Row y: the pictures' CIELAB (rows[p * 3 + c]) and, with powers to sum, the pixels' ΔE00.
    void AddRow(const float* const rows[6], const float* fine, int w, int y) {
        const std::size_t row = static_cast<std::size_t>(y / grid.block) * grid.width;
        const int shift = std::countr_zero(static_cast<unsigned>(grid.block));
        for (int k = 0; k < 6; ++k) {
            float* out = &lab[k][row];
            for (int x = 0; x < w; ++x) out[x >> shift] += rows[k][x];
        }
        if (powersOfFine.empty()) return;
        std::vector<float> power(fine, fine + w);
        for (std::size_t k = 0; k < powersOfFine.size(); ++k) {
            if (k > 0)
                for (int x = 0; x < w; ++x) power[x] *= fine[x];
            float* out = &powersOfFine[k][row];
            for (int x = 0; x < w; ++x) out[x >> shift] += power[x];
        }
    }

    Grid grid;
    std::array<std::vector<float>, 6> lab;
    std::vector<std::vector<float>> powersOfFine;
};

// The pooled error of every pixel summed: block after block, (f e + n)^p over its pixels is
// sum over k of C(p, k) f^k n^(p - k) times the block's sum of e^k.
double PooledSum(const BlockSums& blocks, const std::vector<float>& near, double fineWeight, int pooling) {
    const int p = std::max(1, pooling);
    double sum = 0;
    for (int y = 0; y < blocks.grid.height; ++y)
        for (int x = 0; x < blocks.grid.width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * blocks.grid.width + x;
            const double n = near[at];
            double blockSum = blocks.grid.Pixels(x, y) * Power(n, p), choose = 1, fk = 1;
            for (int k = 1; k <= p && !blocks.powersOfFine.empty(); ++k) {
                choose = choose * (p - k + 1) / k;
                fk *= fineWeight;
                blockSum += choose * fk * std::pow(n, p - k) * blocks.powersOfFine[k - 1][at];
            }
            sum += blockSum;
        }
    return sum;
}

double ScoreFast(const Picture& reference, const Picture& shown, double samplesPerDegree,
                 const LikenessWeights& weights, std::vector<float>* parts) {
    const int w = reference.Width(), h = reference.Height();
    const bool fine = weights.fineWeight > 0;
    BlockSums blocks(Grid(w, h, BlockFor(weights.blockSpread, samplesPerDegree)), fine ? std::max(1, weights.pooling) : 0);
    if (parts) parts->assign(static_cast<std::size_t>(w) * h, 0.0f);
    EyeBlurInStrips(reference, shown, samplesPerDegree, [&](const BlurredStrip& strip) {
        std::vector<float> lab(6 * static_cast<std::size_t>(w)), differences(w);
        float* rows[6];
        for (int k = 0; k < 6; ++k) rows[k] = &lab[static_cast<std::size_t>(k) * w];
        for (int y = strip.y0; y < strip.y1; ++y) {
            for (int p = 0; p < 2; ++p) {
                const float* opponent[3] = {strip.Row(p, 0, y), strip.Row(p, 1, y), strip.Row(p, 2, y)};
                LabRow(opponent, w, rows + 3 * p);
            }
            float* errors = parts ? &(*parts)[static_cast<std::size_t>(y) * w] : differences.data();
            if (fine) Ciede2000Row(rows, rows + 3, w, errors);
            blocks.AddRow(rows, errors, w, y);
        }
    });
    const std::vector<float> near = BlockErrors(blocks.grid, blocks.lab, weights);
    if (parts) {
        const float fineWeight = float(weights.fineWeight);
        ParallelBands(h, 10LL * w, [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y) {
                float* row = &(*parts)[static_cast<std::size_t>(y) * w];
                for (int x = 0; x < w; ++x)
                    row[x] = Power(fineWeight * row[x] + near[blocks.grid.At(x, y)], std::max(1, weights.pooling));
            }
        });
    }
    const double mean = PooledSum(blocks, near, weights.fineWeight, weights.pooling) / (static_cast<double>(w) * h);
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
