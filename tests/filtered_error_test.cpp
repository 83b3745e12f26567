#include <gtest/gtest.h>

#include <random>

#include "core/filtered_error.h"

namespace vorbix {
namespace {

// Few samples per degree keep the plain rule's whole two-dimensional kernel small.
constexpr double kSamplesPerDegree = 8;
// Channels that count together, as CIELAB's lightness and hue mix the opponent channels.
constexpr Matrix3 kMetric{{{2.0, 0.5, -0.3}, {0.5, 1.5, 0.2}, {-0.3, 0.2, 1.0}}};

struct Fixture {
    Picture reference{12, 8};
    int blockWidth, blockHeight;
    std::vector<Opponent> shown;
    std::vector<Matrix3> transforms;
};

Fixture MakeFixture(int blockWidth, int blockHeight) {
    Fixture f{Picture(12, 8), blockWidth, blockHeight, {}, {}};
    std::mt19937 random(7);
    for (int y = 0; y < f.reference.Height(); ++y)
        for (int x = 0; x < f.reference.Width(); ++x) f.reference.SetPixel(x, y, random() & 0xFFFFFF);
    const int blocks = (12 / blockWidth) * (8 / blockHeight);
    for (int i = 0; i < blocks; ++i) {
        f.shown.push_back(OpponentOf(EntryFromColour(random() & 0xFFFFFF)));
        auto entry = [&] { return static_cast<double>(random() % 100) / 50.0 - 1.0; };
        Matrix3 transform = kIdentity3;
        for (auto& row : transform)
            for (double& value : row) value += 0.5 * entry();
        f.transforms.push_back(transform);
    }
    return f;
}

// Every change the search makes, as the plain rule sees it: a block, a pair of neighbours (a
// mix's pair, an exchange), two blocks further apart than the kernel reaches, in blocks of each
// mode, each block's difference mapped by its own matrix, under a metric that mixes the channels.
TEST(FilteredError, ChangesAgreeWithThePlainRuleAndKeepAgreeingOnceMade) {
    struct Case {
        int blockWidth, blockHeight;
        std::vector<std::vector<FilteredError::Change>> steps;
    };
    const Opponent up{0.3, -0.1, 0.2}, down{-0.3, 0.1, -0.2}, other{0.05, 0.2, -0.4};
    const std::vector<Case> cases{
        {1, 2, {{{0, 0, up}}, {{3, 1, other}, {4, 1, down}}, {{0, 3, up}, {11, 0, other}}, {{5, 2, down}}}},
        {2, 2, {{{5, 3, up}}, {{1, 1, up}, {2, 1, down}}, {{2, 1, other}}}},
        {4, 2, {{{0, 0, other}, {1, 0, up}}, {{2, 3, down}}, {{0, 0, down}, {0, 1, up}}}},
    };
    for (const Case& c : cases) {
        Fixture f = MakeFixture(c.blockWidth, c.blockHeight);
        FilteredError model(f.reference, f.blockWidth, f.blockHeight, f.shown, f.transforms, kMetric, kSamplesPerDegree);
        for (const auto& step : c.steps) {
            const double before = FilteredErrorPlain(f.reference, f.blockWidth, f.blockHeight, f.shown, f.transforms, kMetric,
                                                    kSamplesPerDegree);
            for (const FilteredError::Change& change : step)
                for (int ch = 0; ch < 3; ++ch)
                    f.shown[static_cast<std::size_t>(change.y) * model.Columns() + change.x][ch] += change.delta[ch];
            const double after = FilteredErrorPlain(f.reference, f.blockWidth, f.blockHeight, f.shown, f.transforms, kMetric,
                                                    kSamplesPerDegree);
            EXPECT_NEAR(model.Delta(step), after - before, 1e-9 * before)
                << c.blockWidth << " x " << c.blockHeight << " blocks, change at " << step[0].x << ", " << step[0].y;
            model.Apply(step);
        }
    }
}

}  // namespace
}  // namespace vorbix
