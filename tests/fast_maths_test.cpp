#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "core/fast_maths.h"

namespace vorbix {
namespace {

constexpr double kDegrees = 180 / std::numbers::pi;

// Each routine against the standard library over its range, in float and double, to the
// precision its comment promises (relative, or absolute where the value passes through zero).
TEST(FastMaths, AgreesWithTheStandardLibrary) {
    std::mt19937 random(17);
    std::uniform_real_distribution<double> unit(0, 1), signedUnit(-1, 1);
    for (int i = 0; i < 20000; ++i) {
        const double v = std::pow(10.0, 12 * unit(random) - 6);  // 1e-6 .. 1e6
        EXPECT_NEAR(InverseSquareRoot(float(v)), 1 / std::sqrt(v), 5e-6 / std::sqrt(v)) << v;
        EXPECT_NEAR(SquareRoot(float(v)), std::sqrt(v), 5e-6 * std::sqrt(v)) << v;
        EXPECT_NEAR(CubeRoot(float(v)), std::cbrt(v), 3e-7 * std::cbrt(v)) << v;
        EXPECT_EQ(SquareRoot(v), std::sqrt(v));
        EXPECT_EQ(CubeRoot(v), std::cbrt(v));

        const double y = 100 * signedUnit(random) * unit(random), x = 100 * signedUnit(random);
        EXPECT_NEAR(Atan2Degrees(float(y), float(x)), kDegrees * std::atan2(float(y), float(x)), 2e-4) << y << ", " << x;
        EXPECT_NEAR(Atan2Degrees(y, x), kDegrees * std::atan2(y, x), 1e-9) << y << ", " << x;

        // Beyond 40 it holds exp(-40), 4e-18.
        const double z = 45 * unit(random);
        EXPECT_NEAR(ExpNegative(float(z)), std::exp(-z), 1e-5 * std::exp(-z) + 5e-18) << z;
        EXPECT_NEAR(ExpNegative(z), std::exp(-z), 1e-10 * std::exp(-z) + 5e-18) << z;

        const double angle = std::numbers::pi / 3 * unit(random);
        EXPECT_NEAR(SineSmall(float(angle)), std::sin(angle), 1e-6) << angle;
        EXPECT_NEAR(SineSmall(angle), std::sin(angle), 1e-14) << angle;
    }
}

// The special points: zero, the axes and the quadrants' edges, where a branch-free routine is
// most likely to pick the wrong side.
TEST(FastMaths, EdgesOfTheirRanges) {
    EXPECT_EQ(SquareRoot(0.0f), 0.0f);
    struct Case {
        double y, x, degrees;
    } cases[] = {{0, 1, 0}, {1, 0, 90}, {0, -1, 180}, {-1, 0, -90}, {1, 1, 45}, {-1, -1, -135}, {1, -1, 135}, {0, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_NEAR(Atan2Degrees(float(c.y), float(c.x)), c.degrees, 1e-4) << c.y << ", " << c.x;
        EXPECT_NEAR(Atan2Degrees(c.y, c.x), c.degrees, 1e-10) << c.y << ", " << c.x;
    }
    EXPECT_EQ(ExpNegative(0.0), 1.0);
    EXPECT_LT(ExpNegative(1000.0), 1e-17);
    EXPECT_EQ(Choose(true, 1.5f, 2.5f), 1.5f);
    EXPECT_EQ(Choose(false, 1.5, 2.5), 2.5);
}

}  // namespace
}  // namespace vorbix
