#include "dither/ordered.h"

#include <cmath>
#include <vector>

#include "core/pixel_buffer.h"

namespace vorbix {

namespace {

// Every matrix is written row by row: the entry for column offset i and row offset j is
// entries[j * size + i].

// Cells tile the buffer from the picture's corner while they start inside the picture or on
// the first column or row after it; each cell pixel is decided by the cell's channel sum.
struct CellScreen {
    int size;
    int margin;
    MarginFill fill;
    const int* entries;
    bool (*lights)(int cellSum, int entry);
};

// Every visited pixel is decided by its own channel value against the entry the phase
// counters point at; the column counter is not set back at a row's start.
struct PhaseScreen {
    int size;
    int first;          // first visited buffer row and column
    int beyondPicture;  // the last visited row is H + beyondPicture, the last column W + beyondPicture
    const int* entries;
    bool (*lights)(int value, int entry);
};

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

constexpr CellScreen kHalftone2{2, 4, MarginFill::Filled, kHalftone2Ranks,
                                [](int sum, int rank) { return sum > rank * 204; }};
constexpr CellScreen kHalftone3{3, 4, MarginFill::Filled, kHalftone3Ranks,
                                [](int sum, int rank) { return sum > rank * 229; }};
constexpr CellScreen kNewsCells{4, 8, MarginFill::Black, kNews4,
                                [](int sum, int entry) { return sum / 512 > entry / 2.0; }};

constexpr PhaseScreen kBayer2Phases{2, 4, 4, kBayer2, [](int value, int entry) { return value > entry; }};
constexpr PhaseScreen kBayer4Phases{4, 0, 3, kBayer4, [](int value, int entry) { return !(value < entry); }};
// The value is taken in quarters, an exact half rounded to the even neighbour.
constexpr PhaseScreen kBayer8Phases{8, 0, 3, kBayer8,
                                    [](int value, int entry) { return !(std::nearbyint(value / 4.0) < entry); }};

void ScreenCells(PixelBuffer& buffer, const CellScreen& screen) {
    const int n = screen.size;
    for (int c = 0; c < 3; ++c)
        for (int y = screen.margin; y <= buffer.pictureHeight + screen.margin; y += n)
            for (int x = screen.margin; x <= buffer.pictureWidth + screen.margin; x += n) {
                int sum = 0;
                for (int j = 0; j < n; ++j)
                    for (int i = 0; i < n; ++i) sum += buffer.At(x + i, y + j)[c];
                for (int j = 0; j < n; ++j)
                    for (int i = 0; i < n; ++i)
                        buffer.At(x + i, y + j)[c] = screen.lights(sum, screen.entries[j * n + i]) ? 255 : 0;
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

void ApplyCells(Picture& destination, const Picture& source, const CellScreen& screen) {
    PixelBuffer buffer = ReadFramed(source, screen.margin, screen.fill);
    ScreenCells(buffer, screen);
    WriteFramed(destination, buffer);
}

void ApplyPhases(Picture& destination, const Picture& source, const PhaseScreen& screen) {
    PixelBuffer buffer = ReadFramed(source, 4, MarginFill::Black);
    ScreenPhases(buffer, screen);
    WriteFramed(destination, buffer);
}

}  // namespace

void DitherHalftone2(Picture& destination, const Picture& source) { ApplyCells(destination, source, kHalftone2); }
void DitherHalftone3(Picture& destination, const Picture& source) { ApplyCells(destination, source, kHalftone3); }
void DitherBayer2(Picture& destination, const Picture& source) { ApplyPhases(destination, source, kBayer2Phases); }
void DitherBayer4(Picture& destination, const Picture& source) { ApplyPhases(destination, source, kBayer4Phases); }
void DitherBayer8(Picture& destination, const Picture& source) { ApplyPhases(destination, source, kBayer8Phases); }
void DitherNews4(Picture& destination, const Picture& source) { ApplyCells(destination, source, kNewsCells); }

}  // namespace vorbix
