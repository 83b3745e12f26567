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
    Grid(int w, int h, int block) : block(block), width((w + block - 1) / block), height((h + block - 1) / block) {}
    std::size_t Size() const { return static_cast<std::size_t>(width) * height; }
    std::size_t At(int x, int y) const { return static_cast<std::size_t>(y / block) * width + x / block; }

    int block, width, height;
};

// Per block of the grid, what the shown lightness lost against the reference's in the window of
// blocks around it (clipped at the picture's edges): the contrast lost, and 1 - the correlation,
// with the weights given; structural similarity's constant keeps flat windows from counting.
template <typename T>
std::vector<T> StructureLost(const Grid& grid, const std::vector<T>& reference, const std::vector<T>& shown,
                             const LikenessWeights& weights) {
    constexpr T kFlat = T(4.5);  // (0.03 x 100)^2 / 2, in CIELAB L units squared
    const int reach = weights.structureWindow / 2;
    std::vector<T> out(grid.Size());
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x) {
            T sumR = 0, sumS = 0, sumRR = 0, sumSS = 0, sumRS = 0;
            int n = 0;
            for (int v = std::max(0, y - reach); v <= std::min(grid.height - 1, y + reach); ++v)
                for (int u = std::max(0, x - reach); u <= std::min(grid.width - 1, x + reach); ++u, ++n) {
                    const std::size_t at = static_cast<std::size_t>(v) * grid.width + u;
                    const T r = reference[at], s = shown[at];
                    sumR += r;
                    sumS += s;
                    sumRR += r * r;
                    sumSS += s * s;
                    sumRS += r * s;
                }
            const T meanR = sumR / n, meanS = sumS / n;
            const T varR = std::max(sumRR / n - meanR * meanR, T(0)), varS = std::max(sumSS / n - meanS * meanS, T(0));
            const T covariance = sumRS / n - meanR * meanS;
            // sqrt(v * v) is v exactly, so a picture against itself correlates exactly 1.
            const T correlation = std::min((covariance + kFlat) / (std::sqrt(varR * varS) + kFlat), T(1));
            out[static_cast<std::size_t>(y) * grid.width + x] =
                T(weights.contrastWeight) * std::max(std::sqrt(varR) - std::sqrt(varS), T(0)) +
                T(weights.structureWeight) * (1 - correlation);
        }
    return out;
}

// ---- Fast ----

// Both pictures' blurred opponent channels summed over the blocks of one grid: [p * 3 + c].
struct BlockSums {
    explicit BlockSums(const Grid& grid) : grid(grid) {
        for (std::vector<float>& plane : sums) plane.assign(grid.Size(), 0.0f);
    }
    void AddRow(const BlurredStrip& strip, int y) {
        float* const base[6] = {&sums[0][0], &sums[1][0], &sums[2][0], &sums[3][0], &sums[4][0], &sums[5][0]};
        const std::size_t row = static_cast<std::size_t>(y / grid.block) * grid.width;
        const int shift = std::countr_zero(static_cast<unsigned>(grid.block));
        for (int p = 0; p < 2; ++p)
            for (int c = 0; c < 3; ++c) {
                const float* in = strip.Row(p, c, y);
                float* out = base[p * 3 + c] + row;
                for (int x = 0; x < strip.width; ++x) out[x >> shift] += in[x];
            }
    }

    Grid grid;
    std::array<std::vector<float>, 6> sums;
};

// Per block of the grid: its CIELAB lightness in each picture.
struct BlockLightness {
    std::vector<float> lightness[2];
};

BlockLightness LightnessOfBlocks(const BlockSums& blocks, int w, int h) {
    const Grid& grid = blocks.grid;
    BlockLightness out;
    for (std::vector<float>& l : out.lightness) l.resize(grid.Size());
    std::vector<float> means(6 * static_cast<std::size_t>(grid.width));
    for (int by = 0; by < grid.height; ++by) {
        const int rows = std::min(grid.block, h - by * grid.block);
        const std::size_t row = static_cast<std::size_t>(by) * grid.width;
        for (int k = 0; k < 6; ++k)
            for (int bx = 0; bx < grid.width; ++bx) {
                const int columns = std::min(grid.block, w - bx * grid.block);
                means[k * grid.width + bx] = blocks.sums[k][row + bx] / float(rows * columns);
            }
        const float* one[3] = {&means[0], &means[grid.width], &means[2 * grid.width]};
        const float* two[3] = {&means[3 * grid.width], &means[4 * grid.width], &means[5 * grid.width]};
        for (int bx = 0; bx < grid.width; ++bx) {
            out.lightness[0][row + bx] = LabOf<float>(one[0][bx], one[1][bx], one[2][bx]).L;
            out.lightness[1][row + bx] = LabOf<float>(two[0][bx], two[1][bx], two[2][bx]).L;
        }
    }
    return out;
}

double ScoreFast(const Picture& reference, const Picture& shown, double samplesPerDegree,
                 const LikenessWeights& weights, std::vector<float>* parts) {
    const int w = reference.Width(), h = reference.Height();
    BlockSums edges(Grid(w, h, BlockFor(weights.structureSpread, samplesPerDegree)));
    std::vector<float> fine(static_cast<std::size_t>(w) * h);
    EyeBlurInStrips(reference, shown, samplesPerDegree, [&](const BlurredStrip& strip) {
        for (int y = strip.y0; y < strip.y1; ++y) {
            const float* one[3] = {strip.Row(0, 0, y), strip.Row(0, 1, y), strip.Row(0, 2, y)};
            const float* two[3] = {strip.Row(1, 0, y), strip.Row(1, 1, y), strip.Row(1, 2, y)};
            Ciede2000Row(one, two, w, &fine[static_cast<std::size_t>(y) * w]);
            edges.AddRow(strip, y);
        }
    });
    const BlockLightness near = LightnessOfBlocks(edges, w, h);
    const std::vector<float> lost = StructureLost(edges.grid, near.lightness[0], near.lightness[1], weights);

    std::vector<double> rowSums(h);
    ParallelBands(h, 40LL * w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            float* row = &fine[static_cast<std::size_t>(y) * w];
            for (int x = 0; x < w; ++x) {
                row[x] = Power(row[x] + lost[edges.grid.At(x, y)], weights.pooling);
            }
            rowSums[y] = std::accumulate(row, row + w, 0.0);
        }
    });
    // Rows are summed in order, so the number of threads does not change the score.
    const double mean = std::accumulate(rowSums.begin(), rowSums.end(), 0.0) / (static_cast<double>(w) * h);
    if (parts) *parts = std::move(fine);
    return std::pow(mean, 1.0 / std::max(1, weights.pooling));
}

// ---- Plain ----

// The mean of each channel over each block of the grid, and each block's CIELAB.
std::vector<Lab> BlockLab(const Channels& channels, const Grid& grid) {
    const int w = channels[0].width, h = channels[0].height;
    std::vector<Lab> out(grid.Size());
    for (int by = 0; by < grid.height; ++by)
        for (int bx = 0; bx < grid.width; ++bx) {
            Opponent sum{};
            int count = 0;
            for (int y = by * grid.block; y < std::min(h, (by + 1) * grid.block); ++y)
                for (int x = bx * grid.block; x < std::min(w, (bx + 1) * grid.block); ++x, ++count)
                    for (int c = 0; c < 3; ++c) sum[c] += channels[c].Row(y)[x];
            out[static_cast<std::size_t>(by) * grid.width + bx] = LabOfOpponent({sum[0] / count, sum[1] / count, sum[2] / count});
        }
    return out;
}

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
    const Grid edges(w, h, BlockFor(weights.structureSpread, samplesPerDegree));
    const std::vector<Lab> nearOne = BlockLab(one, edges), nearTwo = BlockLab(two, edges);
    std::vector<double> lightnessOne, lightnessTwo;
    for (std::size_t i = 0; i < nearOne.size(); ++i) {
        lightnessOne.push_back(nearOne[i].L);
        lightnessTwo.push_back(nearTwo[i].L);
    }
    const std::vector<double> lost = StructureLost(edges, lightnessOne, lightnessTwo, weights);
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Lab p = LabOfOpponent({one[0].Row(y)[x], one[1].Row(y)[x], one[2].Row(y)[x]});
            const Lab q = LabOfOpponent({two[0].Row(y)[x], two[1].Row(y)[x], two[2].Row(y)[x]});
            sum += Power(Ciede2000(p, q) + lost[edges.At(x, y)], weights.pooling);
        }
    return std::pow(sum / (static_cast<double>(w) * h), 1.0 / std::max(1, weights.pooling));
}

}  // namespace vorbix
