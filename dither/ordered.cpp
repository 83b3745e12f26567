#include "dither/ordered.h"

#include <cmath>
#include <vector>

#include "core/pixel_buffer.h"

namespace vorbix {

namespace {

constexpr int kHalftone2Ranks[] = {
    1, 4,
    3, 2,
};
constexpr int kHalftone3Ranks[] = {
    5, 1, 6,
    7, 2, 9,
    4, 3, 8,
};
constexpr int kNews4[] = {
    12, 4, 11, 15,
    5,  0, 3,  10,
    6,  1, 2,  9,
    13, 7, 8,  14,
};
constexpr int kBayer2[] = {
    63,  127,
    191, 0,
};
constexpr int kBayer4[] = {
    32,  159, 64,  191,
    255, 96,  223, 128,
    48,  175, 16,  143,
    207, 112, 239, 80,
};
constexpr int kBayer8[] = {
    0,  32, 8,  40, 2,  34, 10, 42,
    48, 16, 56, 24, 50, 18, 58, 26,
    12, 44, 4,  36, 14, 46, 6,  38,
    60, 28, 52, 20, 62, 30, 54, 22,
    3,  35, 11, 43, 1,  33, 9,  41,
    51, 19, 59, 27, 49, 17, 57, 25,
    15, 47, 7,  39, 13, 45, 5,  37,
    63, 31, 55, 23, 61, 29, 53, 21,
};

}  // namespace

const CellScreen kHalftone2Cells{2, 4, MarginFill::Filled, kHalftone2Ranks, CellRule::SumAboveRankSteps, 204};
const CellScreen kHalftone3Cells{3, 4, MarginFill::Filled, kHalftone3Ranks, CellRule::SumAboveRankSteps, 229};
const CellScreen kNews4Cells{4, 8, MarginFill::Black, kNews4, CellRule::LevelAboveHalfEntry, 0};

const PhaseScreen kBayer2Phases{2, 4, 4, kBayer2, [](int value, int entry) { return value > entry; }};
const PhaseScreen kBayer4Phases{4, 0, 3, kBayer4, [](int value, int entry) { return !(value < entry); }};
// The value is taken in quarters, an exact half rounded to the even neighbour.
const PhaseScreen kBayer8Phases{8, 0, 3, kBayer8,
                                    [](int value, int entry) { return !(std::nearbyint(value / 4.0) < entry); }};

namespace {

// The smallest cell sum that does not light the entry's pixel; both rules light a pixel exactly when
// the sum is above it. For the level rule, the level sum / 512 is above entry / 2 when it is at
// least entry / 2 + 1 (whole numbers), that is when the sum reaches 512 * (entry / 2 + 1).
int DarkUpTo(const CellScreen& screen, int entry) {
    switch (screen.rule) {
        case CellRule::SumAboveRankSteps: return entry * screen.step;
        case CellRule::LevelAboveHalfEntry: return 512 * (entry / 2 + 1) - 1;
    }
    return 0;
}

// Fixed is the cell size when known at compile time (0: read it from the screen): the cell loops
// then unroll, which makes the walk about three times faster.
template <int Fixed>
void ScreenCellsSized(PixelBuffer& buffer, const CellScreen& screen) {
    const int n = Fixed > 0 ? Fixed : screen.size;
    std::vector<int> darkUpTo(static_cast<std::size_t>(n) * n);
    for (int k = 0; k < n * n; ++k) darkUpTo[k] = DarkUpTo(screen, screen.entries[k]);
    for (int c = 0; c < 3; ++c)
        for (int y = screen.margin; y <= buffer.pictureHeight + screen.margin; y += n)
            for (int x = screen.margin; x <= buffer.pictureWidth + screen.margin; x += n) {
                int sum = 0;
                for (int j = 0; j < n; ++j)
                    for (int i = 0; i < n; ++i) sum += buffer.At(x + i, y + j)[c];
                for (int j = 0; j < n; ++j)
                    for (int i = 0; i < n; ++i) buffer.At(x + i, y + j)[c] = sum > darkUpTo[j * n + i] ? 255 : 0;
            }
}

void ScreenCells(PixelBuffer& buffer, const CellScreen& screen) {
    switch (screen.size) {
        case 2: ScreenCellsSized<2>(buffer, screen); break;
        case 3: ScreenCellsSized<3>(buffer, screen); break;
        case 4: ScreenCellsSized<4>(buffer, screen); break;
        default: ScreenCellsSized<0>(buffer, screen); break;
    }
}

// One pass per channel with fresh counters gives each pixel the same entry as a single pass
// that decides the three channels at every step.
void ScreenPhases(PixelBuffer& buffer, const PhaseScreen& screen) {
    const int n = screen.size;
    // Each entry's decision for every value, worked out once per call.
    std::vector<std::uint8_t> decided(static_cast<std::size_t>(n) * n * 256);
    for (int e = 0; e < n * n; ++e)
        for (int value = 0; value < 256; ++value) decided[e * 256 + value] = screen.lights(value, screen.entries[e]) ? 255 : 0;
    for (int c = 0; c < 3; ++c) {
        int row = 0;
        int column = 0;
        for (int y = screen.first; y <= buffer.pictureHeight + screen.beyondPicture; ++y) {
            const std::uint8_t* rowDecisions = decided.data() + static_cast<std::size_t>(row) * n * 256;
            std::uint8_t* value = buffer.At(screen.first, y) + c;
            for (int x = screen.first; x <= buffer.pictureWidth + screen.beyondPicture; ++x, value += 3) {
                *value = rowDecisions[column * 256 + *value];
                if (++column == n) column = 0;
            }
            if (++row == n) row = 0;
        }
    }
}

}  // namespace

void ApplyCells(Picture& surface, const CellScreen& screen) {
    PixelBuffer buffer = ReadFramed(surface, screen.margin, screen.fill);
    ScreenCells(buffer, screen);
    WriteFramed(surface, buffer);
}

void ApplyPhases(Picture& surface, const PhaseScreen& screen) {
    PixelBuffer buffer = ReadFramed(surface, 4, MarginFill::Black);
    ScreenPhases(buffer, screen);
    WriteFramed(surface, buffer);
}

}  // namespace vorbix
