#include "core/colour_count.h"

#include <bit>
#include <mutex>
#include <cstdint>
#include <vector>

#include "core/parallel.h"

namespace vorbix {

namespace {

constexpr std::size_t kColourWords = (std::size_t{1} << 24) / 64;

// Marks the colours of the rows; returns how many were new to the table.
int MarkRows(const Picture& picture, int rowBegin, int rowEnd, std::vector<std::uint64_t>& seen) {
    int fresh = 0;
    for (int y = rowBegin; y < rowEnd; ++y) {
        const std::uint8_t* p = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x, p += 3) {
            const std::uint32_t key = p[0] | (p[1] << 8) | (p[2] << 16);
            std::uint64_t& word = seen[key >> 6];
            const std::uint64_t bit = std::uint64_t{1} << (key & 63);
            fresh += (word & bit) == 0;
            word |= bit;
        }
    }
    return fresh;
}

// A small picture marks a reused table and then clears just the words its new colours set,
// instead of zeroing 2 MiB per call.
int CountSmall(const Picture& picture) {
    thread_local std::vector<std::uint64_t> seen(kColourWords, 0);
    thread_local std::vector<std::uint32_t> touched;
    touched.clear();
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* p = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x, p += 3) {
            const std::uint32_t key = p[0] | (p[1] << 8) | (p[2] << 16);
            std::uint64_t& word = seen[key >> 6];
            const std::uint64_t bit = std::uint64_t{1} << (key & 63);
            if (!(word & bit)) {
                word |= bit;
                touched.push_back(key >> 6);
            }
        }
    }
    for (std::uint32_t w : touched) seen[w] = 0;
    return static_cast<int>(touched.size());
}

}  // namespace

int CountColours(const Picture& picture) {
    const std::size_t pixels = static_cast<std::size_t>(picture.Width()) * picture.Height();
    // Clearing word by word pays off while the picture is small next to the table.
    if (pixels < kColourWords / 2) return CountSmall(picture);
    // One bit per 24-bit colour; each band marks its own table, the tables are merged at the end.
    std::vector<std::vector<std::uint64_t>> bands;
    int freshInBand = 0;
    std::mutex guard;
    ParallelBands(picture.Height(), picture.Width(), [&](int rowBegin, int rowEnd) {
        std::vector<std::uint64_t> seen(kColourWords, 0);
        const int fresh = MarkRows(picture, rowBegin, rowEnd, seen);
        const std::lock_guard<std::mutex> lock(guard);
        freshInBand = fresh;
        bands.push_back(std::move(seen));
    });
    if (bands.size() == 1) return freshInBand;
    std::vector<std::uint64_t>& merged = bands.front();
    int distinct = 0;
    for (std::size_t i = 0; i < kColourWords; ++i) {
        for (std::size_t b = 1; b < bands.size(); ++b) merged[i] |= bands[b][i];
        distinct += std::popcount(merged[i]);
    }
    return distinct;
}

}  // namespace vorbix
