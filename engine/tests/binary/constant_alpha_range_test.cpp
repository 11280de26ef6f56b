// Constant-alpha curves stay inside [0, 1] and end at (1, 1) whatever alpha.
#include "engine/binary/equilibrium.hpp"

#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace kolvar::engine {
namespace {

using testing::alpha_curve;

class ConstantAlphaRange : public ::testing::TestWithParam<double> {};

TEST_P(ConstantAlphaRange, SamplesAreMonotoneWithinTheUnitIntervalAndEndAtOne)
{
    for (std::uint64_t n_points : {5u, 11u, 101u, 1001u}) {
        const EquilibriumCurve curve = alpha_curve(GetParam(), n_points);
        const auto y = curve.y();
        EXPECT_EQ(y.front(), 0.0);
        EXPECT_EQ(y.back(), 1.0) << "alpha " << GetParam() << ", " << n_points << " points";
        for (std::size_t i = 0; i < y.size(); ++i) {
            EXPECT_GE(y[i], 0.0);
            EXPECT_LE(y[i], 1.0);
            if (i > 0) {
                EXPECT_GE(y[i], y[i - 1]);
            }
        }
    }
}

TEST_P(ConstantAlphaRange, RelativeVolatilityIsANumberEverywhereInside)
{
    const EquilibriumCurve curve = alpha_curve(GetParam(), 11);
    for (double x : {0.05, 0.5, 0.9, 0.95, 0.999}) {
        auto alpha = curve.relative_volatility(x);
        ASSERT_TRUE(alpha.has_value());
        EXPECT_FALSE(std::isnan(*alpha)) << "alpha " << GetParam() << " at x = " << x;
    }
}

// Below 1 the end sample used to come out as 1 + 2e-16 (0.1), 1 - 2e-16 (0.3),
// 0.9 (3e-16) or +inf (1e-17 and below); the large values rounded samples near
// the top to 1 + 2e-16 or one unit below their left neighbour.
INSTANTIATE_TEST_SUITE_P(Alphas, ConstantAlphaRange,
                         ::testing::Values(5e-324, 1e-300, 1e-17, 3e-16, 1e-10, 0.1, 0.3, 0.7, 1.0, 2.5,
                                           1e10, 336871494530663.75, 6938281560867889.0, 9868712906506658.0,
                                           5.701120810987074e17, 1e300));

// For alpha >= 1 pinning the end sample changes nothing: the formula gives 1 there.
TEST(ConstantAlphaRange, InteriorSamplesFollowTheFormulaAsEvaluated)
{
    const EquilibriumCurve curve = alpha_curve(0.1, 5);
    for (std::size_t i = 0; i + 1 < curve.size(); ++i) {
        const double x = curve.x()[i];
        EXPECT_EQ(curve.y()[i], (x * 0.1) / ((0.1 - 1.0) * x + 1.0));
    }
}

}  // namespace
}  // namespace kolvar::engine
