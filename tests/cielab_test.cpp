#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/cielab.h"

namespace vorbix {
namespace {

TEST(Ciede2000, MatchesSharmaWuDalalPairs) {
    struct Case {
        int pair;
        Lab one, two;
        double difference;
    } cases[] = {
        {1, {50.0000, 2.6772, -79.7751}, {50.0000, 0.0000, -82.7485}, 2.0425},
        {2, {50.0000, 3.1571, -77.2803}, {50.0000, 0.0000, -82.7485}, 2.8615},
        {4, {50.0000, -1.3802, -84.2814}, {50.0000, 0.0000, -82.7485}, 1.0000},
        {7, {50.0000, 0.0000, 0.0000}, {50.0000, -1.0000, 2.0000}, 2.3669},
        // Hues almost opposite: the mean hue flips side as b crosses 0.0010.
        {9, {50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0009}, 7.1792},
        {10, {50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0010}, 7.1792},
        {11, {50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0011}, 7.2195},
        {12, {50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0012}, 7.2195},
        // a' close to 0.
        {13, {50.0000, -0.0010, 2.4900}, {50.0000, 0.0009, -2.4900}, 4.8045},
        {14, {50.0000, -0.0010, 2.4900}, {50.0000, 0.0010, -2.4900}, 4.8045},
        {15, {50.0000, -0.0010, 2.4900}, {50.0000, 0.0011, -2.4900}, 4.7461},
        {16, {50.0000, 2.5000, 0.0000}, {50.0000, 0.0000, -2.5000}, 4.3065},
        {17, {50.0000, 2.5000, 0.0000}, {73.0000, 25.0000, -18.0000}, 27.1492},
        {19, {50.0000, 2.5000, 0.0000}, {56.0000, -27.0000, -3.0000}, 31.9030},
        {22, {50.0000, 2.5000, 0.0000}, {50.0000, 3.2972, 0.0000}, 1.0000},
        {25, {60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
        {29, {22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
        {31, {90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
        {34, {2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(Ciede2000(c.one, c.two), c.difference, 5e-5) << "pair " << c.pair;
        EXPECT_NEAR(Ciede2000(c.two, c.one), c.difference, 5e-5) << "pair " << c.pair << " swapped";
    }
}

// The form must measure small differences in every direction as the formula does: lightness,
// chroma and hue weigh differently, and in the blues the hue rotation couples a and b.
TEST(Ciede2000, RootMeasuresSmallDifferencesAsTheFormulaDoes) {
    const Lab colours[] = {{50, 0, 0}, {50, 40, 10}, {30, 10, -50}, {85, -5, 70}, {10, 2, -3}, {65, -45, 30}};
    const Vector3 directions[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.6, 0.8, 0}, {0, 0.6, -0.8}, {0.5, -0.5, 0.7}};
    for (const Lab& at : colours) {
        const Matrix3 root = Ciede2000Root(at);
        EXPECT_EQ(root[1][0], 0);
        EXPECT_EQ(root[2][0], 0);
        EXPECT_EQ(root[2][1], 0);
        for (const Vector3& direction : directions) {
            const Vector3 d{direction[0] / 2, direction[1] / 2, direction[2] / 2};  // half a CIELAB unit
            const Vector3 measured = Multiply(root, d);
            const double length = std::hypot(measured[0], measured[1], measured[2]);
            const double formula = Ciede2000(at, Lab{at.L + d[0], at.a + d[1], at.b + d[2]});
            // A near grey the formula is not smooth: its chroma weights move with the difference itself.
            const double tolerance = std::hypot(at.a, at.b) < 1 ? 0.15 : 0.05;
            EXPECT_NEAR(length, formula, tolerance * formula)
                << "at " << at.L << " " << at.a << " " << at.b << ", d " << d[0] << " " << d[1] << " " << d[2];
        }
    }
}

// The float form the score runs over every pixel against the double one, on colours from all
// over the space: greys, the axes, near-opposite hues and the dark.
TEST(Ciede2000, FloatFormAgreesWithDouble) {
    std::mt19937 random(23);
    std::uniform_real_distribution<double> lightness(0, 100), axis(-110, 110);
    for (int i = 0; i < 20000; ++i) {
        Lab one{lightness(random), axis(random), axis(random)}, two{lightness(random), axis(random), axis(random)};
        if (i % 4 == 1) two = {one.L + 0.5, -one.a, -one.b};  // opposite hues
        if (i % 4 == 2) one.a = one.b = 0;                    // a grey
        if (i % 4 == 3) two = {one.L, one.a * 1.01, one.b};    // nearly alike
        const double exact = Ciede2000(one, two);
        const float fast = Ciede2000Of(float(one.L), float(one.a), float(one.b), float(two.L), float(two.a), float(two.b));
        // The hue difference comes from a difference of squares, which loses float's digits where
        // two strong colours share a hue: a few hundredths at most.
        EXPECT_NEAR(fast, exact, 0.03 + 1e-4 * exact) << one.L << " " << one.a << " " << one.b << " / " << two.L << " "
                                                      << two.a << " " << two.b;
    }
}

// CIELAB from opponent channels: white is L 100 with no chroma, the float form matches the
// double, and the rows with f's slopes are its derivative, in the light and in the dark.
TEST(Cielab, OfOpponentChannelsAndItsSlopes) {
    const Lab white = LabOfOpponent(OpponentOf({255, 255, 255}));
    EXPECT_NEAR(white.L, 100, 0.01);
    EXPECT_NEAR(white.a, 0, 0.05);
    EXPECT_NEAR(white.b, 0, 0.05);
    const PaletteEntry colours[] = {{200, 30, 40}, {10, 60, 200}, {128, 128, 128}, {3, 4, 2}, {250, 240, 90}};
    for (const PaletteEntry& colour : colours) {
        const Opponent at = OpponentOf(colour);
        const Lab lab = LabOfOpponent(at);
        const LabOf<float> fast{float(at[0]), float(at[1]), float(at[2])};
        EXPECT_NEAR(fast.L, lab.L, 1e-3);
        EXPECT_NEAR(fast.a, lab.a, 2e-3);
        EXPECT_NEAR(fast.b, lab.b, 2e-3);
        const std::array<double, 3> xyz = XyzOfOpponent(at);
        std::array<double, 3> slopes{};
        for (int k = 0; k < 3; ++k) slopes[k] = LabCurveSlope(xyz[k] / kLabWhite[k]);
        const Matrix3 rows = LabRowsOfOpponent(slopes);
        constexpr double kStep = 1e-6;
        for (int c = 0; c < 3; ++c) {
            Opponent up = at, down = at;
            up[c] += kStep;
            down[c] -= kStep;
            const Lab u = LabOfOpponent(up), d = LabOfOpponent(down);
            const double derivative[3] = {(u.L - d.L) / (2 * kStep), (u.a - d.a) / (2 * kStep), (u.b - d.b) / (2 * kStep)};
            for (int r = 0; r < 3; ++r)
                EXPECT_NEAR(rows[r][c], derivative[r], 1e-4 * (1 + std::abs(derivative[r])))
                    << int(colour.red) << " row " << r << " channel " << c;
        }
    }
}

}  // namespace
}  // namespace vorbix
