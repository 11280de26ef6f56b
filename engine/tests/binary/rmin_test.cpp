#include "engine/binary/rmin.hpp"

#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace kolvar::engine {
namespace {

using testing::alpha_curve;
using testing::fails_with;

struct UnderwoodCase {
    double alpha;
    double z_feed;
};

class SaturatedLiquidFeed : public ::testing::TestWithParam<UnderwoodCase> {};

// With a saturated-liquid feed on a grid point of a constant-alpha curve the
// feed pinch controls and R_min is Underwood's closed form.
TEST_P(SaturatedLiquidFeed, MatchesUnderwood)
{
    const auto [alpha, z] = GetParam();
    const double x_d = 0.95;
    const auto result = rmin(alpha_curve(alpha), x_d, 0.05, z, 1.0);
    ASSERT_TRUE(result);
    const double underwood = (x_d / z - alpha * (1 - x_d) / (1 - z)) / (alpha - 1);
    EXPECT_NEAR(result->r_min, underwood, 1e-9);
    EXPECT_FALSE(result->tangent);
    EXPECT_EQ(result->pinch, result->feed_point);
    EXPECT_EQ(result->feed_point.x, z);
}

INSTANTIATE_TEST_SUITE_P(Grid, SaturatedLiquidFeed,
                         ::testing::Values(UnderwoodCase{1.5, 0.5}, UnderwoodCase{2.0, 0.3},
                                           UnderwoodCase{2.5, 0.5}, UnderwoodCase{4.0, 0.6},
                                           UnderwoodCase{2.5, 0.41}));

TEST(FeedPoint, NearlySaturatedConditionsTakeTheStraightLines)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    for (double q : {1.0, 1 + 5e-13, 1 - 5e-13}) {
        const RminResult r = rmin(curve, 0.95, 0.05, 0.37, q).value();
        EXPECT_EQ(r.feed_point, (Point{0.37, curve.y_of_x(0.37).value()})) << q;
    }
    for (double q : {0.0, 5e-13, -5e-13}) {
        const RminResult r = rmin(curve, 0.95, 0.05, 0.37, q).value();
        EXPECT_EQ(r.feed_point, (Point{curve.x_of_y(0.37).value(), 0.37})) << q;
    }
}

class GeneralFeed : public ::testing::TestWithParam<double> {};

// The q-line walk finds the crossing exactly on the piecewise-linear curve and
// close to the crossing with the underlying smooth curve.
TEST_P(GeneralFeed, FeedPointLiesOnQLineAndCurve)
{
    const double q = GetParam();
    const double alpha = 2.5;
    const double z = 0.4;
    const EquilibriumCurve curve = alpha_curve(alpha);
    const RminResult r = rmin(curve, 0.95, 0.05, z, q).value();
    const double m = q / (q - 1);
    const Point f = r.feed_point;
    EXPECT_NEAR(f.y, m * (f.x - z) + z, 1e-14);
    EXPECT_NEAR(curve.y_of_x(f.x).value(), f.y, 1e-14);
    EXPECT_EQ(f.x > z, q > 1) << "walk direction";
    // Root of alpha x / (1 + (alpha-1) x) = m (x - z) + z, between 0 and 1.
    const double a = m * (alpha - 1);
    const double b = m + (z - m * z) * (alpha - 1) - alpha;
    const double c = z - m * z;
    const double disc = std::sqrt(b * b - 4 * a * c);
    double exact = (-b - disc) / (2 * a);
    if (!(exact > 0 && exact < 1)) exact = (-b + disc) / (2 * a);
    EXPECT_NEAR(f.x, exact, 2e-4);
}

INSTANTIATE_TEST_SUITE_P(Conditions, GeneralFeed, ::testing::Values(2.0, 1.5, 0.5, -0.5, -1.0));

TEST(Pinch, BulgeTowardTheDiagonalGivesATangentPinch)
{
    const EquilibriumCurve curve = testing::bulging_curve();
    const double x_d = 0.95;
    const RminResult r = rmin(curve, x_d, 0.05, 0.5, 1.0).value();
    const Point f = r.feed_point;
    // The sample (0.8, 0.86) gives the slope 0.09 / 0.15 = 0.6, so R_min = 1.5;
    // the feed point alone would give about 1.1.
    EXPECT_TRUE(r.tangent);
    EXPECT_NEAR(r.pinch.x, 0.8, 1e-15);
    EXPECT_EQ(r.pinch.y, 0.86);
    EXPECT_NEAR(r.r_min, 1.5, 1e-12);
    EXPECT_GT(r.r_min, (x_d - f.y) / (f.y - f.x) + 0.3);
}

TEST(Pinch, EqualSlopesReportTheLowestSample)
{
    // (0.5, 0.625) and (0.625, 0.6875) both lie on the line of slope 1/2 from
    // (0.75, 0.75); the feed point (0.25, 0.55) gives a flatter one.
    const auto curve =
        EquilibriumCurve::from_points({0, 0.25, 0.5, 0.625, 0.75, 1}, {0, 0.55, 0.625, 0.6875, 0.8, 1})
            .value();
    const RminResult r = rmin(curve, 0.75, 0.125, 0.25, 1.0).value();
    EXPECT_EQ(r.pinch, (Point{0.5, 0.625}));
    EXPECT_TRUE(r.tangent);
    EXPECT_EQ(r.r_min, 1.0);
}

TEST(Pinch, StrippingSideControlsForAVapourFeed)
{
    // A saturated-vapour feed puts the feed point low on the curve; the
    // stripping line through it fixes the reflux.
    const EquilibriumCurve curve = alpha_curve(2.5);
    const RminResult r = rmin(curve, 0.95, 0.05, 0.5, 0.0).value();
    const double x_d = 0.95, x_b = 0.05, z = 0.5;
    const Point f = r.feed_point;
    const double top = (x_d - f.y) / (f.y - f.x);
    EXPECT_GE(r.r_min, top);
    // At R_min the stripping line's slope (R phi + q)/((R+1) phi - (1-q)) reaches (x_B, x_B)-to-pinch.
    const double phi = (z - x_b) / (x_d - x_b);
    const double s_strip = (r.r_min * phi) / ((r.r_min + 1) * phi - 1);
    EXPECT_NEAR(s_strip, (r.pinch.y - x_b) / (r.pinch.x - x_b), 1e-12);
}

TEST(Failures, OrderAndReachability)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(fails_with(rmin(curve, 0.95, 0.5, 0.5, 1.0), ErrorKind::InvalidInput,
                           "specs must satisfy x_B < z_F < x_D, got x_B = 0.5, z_F = 0.5, x_D = 0.95"));
    EXPECT_TRUE(fails_with(rmin(curve, 0.95, 0.05, nan, 1.0), ErrorKind::InvalidInput,
                           "specs must satisfy x_B < z_F < x_D, got x_B = 0.05, z_F = NaN, x_D = 0.95"));
    // Out-of-range x_D passes the order check; the last sample then gives a
    // rectifying slope of at least 1.
    EXPECT_TRUE(fails_with(rmin(curve, 1.2, 0.1, 0.5, 1.0), ErrorKind::Infeasible,
                           "x_D = 1.2 is unreachable at any reflux (equilibrium curve at or below "
                           "the diagonal — azeotrope?)"));
    EXPECT_TRUE(fails_with(rmin(alpha_curve(0.5), 0.95, 0.05, 0.5, 0.5), ErrorKind::Infeasible,
                           "the q-line (q = 0.5) never meets the equilibrium curve — check z_F = 0.5 and q"));
    EXPECT_TRUE(fails_with(rmin(curve, 1.2, 0.05, 1.1, 1.0), ErrorKind::InvalidInput,
                           "query 1.1 outside the sampled range [0, 1]"));

    // An azeotrope at x = 0.75: above it the curve lies below the diagonal.
    const auto azeotrope =
        EquilibriumCurve::from_points({0, 0.25, 0.5, 0.75, 0.9, 1}, {0, 0.45, 0.65, 0.75, 0.85, 1}).value();
    EXPECT_TRUE(fails_with(rmin(azeotrope, 0.95, 0.05, 0.5, 1.0), ErrorKind::Infeasible,
                           "x_D = 0.95 is unreachable at any reflux (equilibrium curve at or below "
                           "the diagonal — azeotrope?)"));
    // On the diagonal below x = 0.5, above it further up.
    const auto pinned =
        EquilibriumCurve::from_points({0, 0.25, 0.5, 0.75, 1}, {0, 0.25, 0.5, 0.9, 1}).value();
    EXPECT_TRUE(fails_with(rmin(pinned, 0.95, 0.1, 0.6, 1.0), ErrorKind::Infeasible,
                           "x_B = 0.1 is unreachable at any boilup (stripping line pinned to the diagonal)"));
}

}  // namespace
}  // namespace kolvar::engine
