#include "engine/binary/rmin.hpp"

#include "engine/binary/mccabe_thiele.hpp"
#include "engine/binary/total_reflux.hpp"

#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <tuple>
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
                           "z_F must be strictly inside (0, 1), got NaN"));
    EXPECT_TRUE(fails_with(rmin(alpha_curve(0.5), 0.95, 0.05, 0.5, 0.5), ErrorKind::Infeasible,
                           "the q-line (q = 0.5) never meets the equilibrium curve — check z_F = 0.5 and q"));

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
    // Below the diagonal at x_D (or at x_B) with no sample in between to show it.
    const auto flat = EquilibriumCurve::from_points({0, 0.25, 0.5, 0.75, 1}, {0, 0.6, 0.6, 0.6, 1}).value();
    EXPECT_TRUE(fails_with(rmin(flat, 0.7, 0.1, 0.3, 1.0), ErrorKind::Infeasible,
                           "x_D = 0.7 is unreachable at any reflux (equilibrium curve at or below "
                           "the diagonal — azeotrope?)"));
    const auto low = EquilibriumCurve::from_points({0, 0.25, 0.5, 0.75, 1}, {0, 0.2, 0.9, 0.95, 1}).value();
    EXPECT_TRUE(fails_with(rmin(low, 0.95, 0.2, 0.4, 1.0), ErrorKind::Infeasible,
                           "x_B = 0.2 is unreachable at any boilup (stripping line pinned to the diagonal)"));
}

// rmin checks the compositions exactly as the construction does, before
// anything else: no non-finite or out-of-range value reaches the curve.
TEST(Failures, CompositionsAreCheckedAsTheConstructionChecksThem)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int position = 0; position < 3; ++position) {
        for (double bad : {1.5, 1.0, 0.0, -0.0, -0.1, inf, -inf, nan}) {
            McCabeThieleSpec spec{0.9, 0.1, 0.5, 1.0, 2.0, 1.0, CondenserKind::Total};
            double* field[] = {&spec.x_distillate, &spec.x_bottoms, &spec.z_feed};
            *field[position] = bad;
            const auto minimum = rmin(curve, spec.x_distillate, spec.x_bottoms, spec.z_feed, spec.q);
            const auto design = mccabe_thiele(curve, spec);
            ASSERT_FALSE(minimum) << position << " " << bad;
            ASSERT_FALSE(design);
            EXPECT_EQ(minimum.error().kind, ErrorKind::InvalidInput);
            EXPECT_EQ(minimum.error().message, design.error().message);
        }
    }
    EXPECT_TRUE(fails_with(rmin(curve, 1.5, 0.1, 0.5, 1.0), ErrorKind::InvalidInput,
                           "x_D must be strictly inside (0, 1), got 1.5"));
    EXPECT_TRUE(fails_with(rmin(curve, 0.9, 0.5, 0.5, 1.0), ErrorKind::InvalidInput,
                           "specs must satisfy x_B < z_F < x_D, got x_B = 0.5, z_F = 0.5, x_D = 0.9"));
}

// A saturated-vapour feed that meets the curve left of x_B: lowering the
// reflux takes the intersection to x = x_B, zero boil-up, before the curve.
TEST(Limits, ZeroBoilupBoundsTheRefluxWhenTheFeedPointLiesLeftOfXB)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    const RminResult r = rmin(curve, 0.95, 0.2, 0.25, 0.0).value();
    EXPECT_LT(r.feed_point.x, 0.2);
    EXPECT_NEAR(r.r_min, 14.0, 1e-12);  // (1 - q)/phi - 1 with phi = 0.05/0.75
    EXPECT_EQ(r.pinch, (Point{0.2, 0.25}));
    EXPECT_FALSE(r.tangent);
    EXPECT_TRUE(fails_with(mccabe_thiele(curve, {0.95, 0.2, 0.25, 0.0, 5.0, 1.0, CondenserKind::Total}),
                           ErrorKind::NotConverged,
                           "R = 5 ≤ R_min = 14.000000: the staircase pinches before reaching x_B"));
    const McCabeThieleResult design =
        mccabe_thiele(curve, {0.95, 0.2, 0.25, 0.0, 14.5, 1.0, CondenserKind::Total}).value();
    EXPECT_GT(design.intersection.x, 0.2);
    EXPECT_GT(design.stripping.slope, 1.0);
}

// A strongly subcooled feed meets the curve above y = x_D: even a horizontal
// rectifying line clears the curve, so any positive reflux will do.
TEST(Limits, ZeroRefluxBoundsTheRefluxWhenTheFeedPointLiesAboveXD)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    const RminResult r = rmin(curve, 0.95, 0.05, 0.5, 20.0).value();
    EXPECT_GT(r.feed_point.x, 0.95);
    EXPECT_EQ(r.r_min, 0.0);
    EXPECT_NEAR(r.pinch.x, 0.5 + 0.45 * 19.0 / 20.0, 1e-15);  // the q-line at y = x_D
    EXPECT_EQ(r.pinch.y, 0.95);
    EXPECT_FALSE(r.tangent);
    EXPECT_TRUE(mccabe_thiele(curve, {0.95, 0.05, 0.5, 20.0, 0.01, 1.0, CondenserKind::Total}));
}

struct Feed3 {
    double x_distillate;
    double x_bottoms;
    double z_feed;
};

void PrintTo(const Feed3& f, std::ostream* out)
{
    *out << "x_D " << f.x_distillate << ", x_B " << f.x_bottoms << ", z_F " << f.z_feed;
}

class AnyFeed : public ::testing::TestWithParam<std::tuple<int, Feed3, double>> {};

// Either the design is infeasible, or R_min is finite and not negative, every
// reflux at or below it is refused (by the construction and by the sweep),
// and every design above it has its intersection right of x_B inside the unit
// square; on the ideal curves such designs exist just above R_min.
TEST_P(AnyFeed, RminIsTheSmallestRefluxWithAStaircase)
{
    const auto [which, feed, q] = GetParam();
    const EquilibriumCurve curves[] = {alpha_curve(2.5), alpha_curve(40.0, 7), testing::bulging_curve()};
    const EquilibriumCurve& curve = curves[which];
    const auto minimum = rmin(curve, feed.x_distillate, feed.x_bottoms, feed.z_feed, q);
    if (!minimum) {
        EXPECT_EQ(minimum.error().kind, ErrorKind::Infeasible) << minimum.error().message;
        return;
    }
    const double r_min = minimum->r_min;
    ASSERT_TRUE(std::isfinite(r_min) && r_min >= 0.0) << r_min;

    const McCabeThieleSpec spec{feed.x_distillate, feed.x_bottoms, feed.z_feed, q, 0.0, 1.0, CondenserKind::Total};
    const std::vector<double> refluxes{r_min, 0.99 * r_min, 1.05 * r_min + 0.05, 2 * r_min + 1, 10 * r_min + 10};
    const auto sweep = n_vs_r(curve, refluxes, spec);
    for (std::size_t i = 0; i < refluxes.size(); ++i) {
        McCabeThieleSpec one = spec;
        one.reflux = refluxes[i];
        const auto design = mccabe_thiele(curve, one);
        if (i < 2) {
            EXPECT_FALSE(design) << refluxes[i];
        } else if (which == 0 || which == 1) {
            EXPECT_TRUE(design) << refluxes[i] << ": " << design.error().message;
        }
        if (!design) {
            EXPECT_TRUE(std::isnan(sweep[i].n_stages));
            continue;
        }
        EXPECT_EQ(sweep[i].n_stages, design->n_stages);
        const Point p = design->intersection;
        EXPECT_TRUE(p.x > feed.x_bottoms && p.x <= 1.0 && p.y >= 0.0 && p.y <= 1.0)
            << refluxes[i] << ": (" << p.x << ", " << p.y << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(
    CurvesFeedsAndConditions, AnyFeed,
    ::testing::Combine(::testing::Values(0, 1, 2),
                       ::testing::Values(Feed3{0.95, 0.05, 0.5}, Feed3{0.95, 0.2, 0.25}, Feed3{0.6, 0.05, 0.5},
                                         Feed3{0.99, 0.4, 0.45}, Feed3{0.7, 0.3, 0.35}),
                       ::testing::Values(0.0, 0.5, 1.0, 1.5, 3.0, -1.0, 20.0)));

}  // namespace
}  // namespace kolvar::engine
