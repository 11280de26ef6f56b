#include "engine/binary/mccabe_thiele.hpp"

#include "test_support.hpp"

#include "kolvar/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace kolvar::engine {
namespace {

using testing::alpha_curve;
using testing::fails_with;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

McCabeThieleSpec design(double reflux, double q = 1.0, double murphree = 1.0)
{
    return {0.95, 0.05, 0.5, q, reflux, murphree, CondenserKind::Total};
}

struct RefusedCase {
    McCabeThieleSpec spec;
    std::string message;
};

class SpecRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(SpecRefused, ReportsTheFirstFailingCheck)
{
    EXPECT_TRUE(fails_with(mccabe_thiele(alpha_curve(2.5), GetParam().spec), ErrorKind::InvalidInput,
                           GetParam().message));
}

McCabeThieleSpec with(McCabeThieleSpec spec, double McCabeThieleSpec::*field, double value)
{
    spec.*field = value;
    return spec;
}

INSTANTIATE_TEST_SUITE_P(
    Checks, SpecRefused,
    ::testing::Values(
        RefusedCase{with(design(0), &McCabeThieleSpec::x_distillate, 1), "x_D must be strictly inside (0, 1), got 1"},
        RefusedCase{with(design(2), &McCabeThieleSpec::x_bottoms, nan), "x_B must be strictly inside (0, 1), got NaN"},
        RefusedCase{with(design(2), &McCabeThieleSpec::z_feed, 0), "z_F must be strictly inside (0, 1), got 0"},
        RefusedCase{with(design(2), &McCabeThieleSpec::x_bottoms, 0.5),
                    "specs must satisfy x_B < z_F < x_D, got x_B = 0.5, z_F = 0.5, x_D = 0.95"},
        RefusedCase{design(0, 1, 0), "reflux ratio must be positive, got 0"},
        RefusedCase{design(nan), "reflux ratio must be positive, got NaN"},
        RefusedCase{design(2, 1, 0), "Murphree efficiency must be in (0, 1], got 0"},
        RefusedCase{design(2, 1, 1.5), "Murphree efficiency must be in (0, 1], got 1.5"},
        RefusedCase{design(2, 1, nan), "Murphree efficiency must be in (0, 1], got NaN"}));

TEST(Intersection, SaturatedFeedsUseTheirStraightQLines)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    for (double q : {1.0, 1 + 5e-13}) {
        EXPECT_EQ(mccabe_thiele(curve, design(2, q)).value().intersection.x, 0.5);
    }
    const McCabeThieleResult vapour = mccabe_thiele(curve, design(3, 0.0)).value();
    const Line top = vapour.rectifying;
    EXPECT_NEAR(vapour.intersection.x, (0.5 - top.intercept) / top.slope, 1e-15);
    EXPECT_NEAR(vapour.intersection.y, 0.5, 1e-15);
}

class GeneralQ : public ::testing::TestWithParam<double> {};

TEST_P(GeneralQ, IntersectionLiesOnBothLinesAndTheQLine)
{
    const double q = GetParam();
    const McCabeThieleResult r = mccabe_thiele(alpha_curve(2.5), design(4, q)).value();
    const Point p = r.intersection;
    EXPECT_NEAR(p.y, r.rectifying.slope * p.x + r.rectifying.intercept, 1e-14);
    EXPECT_NEAR(p.y, r.stripping.slope * p.x + r.stripping.intercept, 1e-14);
    EXPECT_NEAR(p.y, q / (q - 1) * p.x - 0.5 / (q - 1), 1e-14);
    EXPECT_NEAR(r.stripping.slope * 0.05 + r.stripping.intercept, 0.05, 1e-15);
    EXPECT_NEAR(r.rectifying.slope * 0.95 + r.rectifying.intercept, 0.95, 1e-15);
}

INSTANTIATE_TEST_SUITE_P(Conditions, GeneralQ, ::testing::Values(1.5, -0.5, 2.0, 0.5));

TEST(Refusals, DegenerateAndInfeasibleDesigns)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    // R/(R+1) = q/(q-1) = 1/2; refused before the minimum-reflux analysis,
    // which would fail on this curve below the diagonal.
    EXPECT_TRUE(fails_with(mccabe_thiele(alpha_curve(0.5), design(1, -1)), ErrorKind::Infeasible,
                           "q-line is parallel to the rectifying line (degenerate q/R combination)"));
    // Lines y = x/3 + 0.95/1.5 and y = x/2 + 0.25 meet at (2.3, 1.4).
    EXPECT_TRUE(fails_with(mccabe_thiele(curve, design(0.5, -1)), ErrorKind::NotConverged,
                           "operating-line intersection (2.3000, 1.4000) fell below the diagonal — "
                           "R = 0.5 is below R_min for this q"));
    const double r_min = rmin(curve, 0.95, 0.05, 0.5, 1.0).value().r_min;
    EXPECT_TRUE(fails_with(mccabe_thiele(curve, design(r_min)), ErrorKind::NotConverged,
                           "R = 1.0999999999999999 ≤ R_min = 1.100000: the staircase pinches "
                           "before reaching x_B"));
    // Just above R_min the steps shrink toward the feed pinch until one makes
    // no progress.
    const auto pinched = mccabe_thiele(curve, design(r_min * (1 + 1e-12)));
    ASSERT_FALSE(pinched);
    EXPECT_EQ(pinched.error().kind, ErrorKind::NotConverged);
    EXPECT_TRUE(pinched.error().message.starts_with("staircase pinched at x = 0.500000 after "));
    EXPECT_TRUE(pinched.error().message.ends_with(" stages (R too close to R_min = 1.100000)"));
}

// Stage-by-stage geometry that any correct staircase has.
void expect_consistent_staircase(const EquilibriumCurve& curve, const McCabeThieleResult& r)
{
    const McCabeThieleSpec& spec = r.spec;
    const std::size_t n = r.stages.size();
    ASSERT_GE(n, 1u);
    ASSERT_EQ(r.staircase.size(), 2 * n);
    EXPECT_EQ(r.staircase[0], (Point{spec.x_distillate, spec.x_distillate}));
    EXPECT_GT(r.n_stages, static_cast<double>(n - 1));
    EXPECT_LE(r.n_stages, static_cast<double>(n));
    ASSERT_GE(r.feed_stage, 1u);
    ASSERT_LE(r.feed_stage, n);

    double x_above = spec.x_distillate;
    for (std::size_t k = 0; k < n; ++k) {
        const StagePoint& stage = r.stages[k];
        EXPECT_EQ(stage.index, k + 1);
        EXPECT_EQ(r.staircase[2 * k + 1], (Point{stage.x, stage.y}));
        if (k + 1 < n) {
            EXPECT_EQ(r.staircase[2 * k + 2].x, stage.x);
        }
        // Vapour from the operating line below the stage above.
        const Line& line = k + 1 <= r.feed_stage ? r.rectifying : r.stripping;
        const double on_line = k == 0 ? spec.x_distillate : line.slope * x_above + line.intercept;
        EXPECT_NEAR(stage.y, on_line, 1e-14);
        // Liquid on the (pseudo-)equilibrium curve.
        const double y_star = curve.y_of_x(stage.x).value();
        const double own = line.slope * stage.x + line.intercept;
        EXPECT_NEAR(own + spec.murphree * (y_star - own), stage.y, 1e-12);
        // The feed stage is the first to reach the intersection.
        if (k + 1 < r.feed_stage) {
            EXPECT_GT(stage.x, r.intersection.x) << k;
        } else if (k + 1 > r.feed_stage) {
            EXPECT_LE(stage.x, r.intersection.x) << k;
        }
        x_above = stage.x;
    }
    const double x_prev = n == 1 ? spec.x_distillate : r.stages[n - 2].x;
    const double x_last = r.stages[n - 1].x;
    EXPECT_LE(x_last, spec.x_bottoms);
    EXPECT_NEAR(r.n_stages - static_cast<double>(n - 1),
                (x_prev - spec.x_bottoms) / (x_prev - x_last), 1e-12);
}

class Staircase : public ::testing::TestWithParam<McCabeThieleSpec> {};

TEST_P(Staircase, CornersLieOnTheCurveAndTheOperatingLines)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    const auto result = mccabe_thiele(curve, GetParam());
    ASSERT_TRUE(result) << result.error().message;
    expect_consistent_staircase(curve, *result);
    EXPECT_EQ(result->rmin.r_min, rmin(curve, 0.95, 0.05, 0.5, GetParam().q).value().r_min);
}

INSTANTIATE_TEST_SUITE_P(Designs, Staircase,
                         ::testing::Values(design(2), design(1.2), design(10), design(3, 1.5),
                                           design(3, -0.5), design(3, 2), design(3, 0.5),
                                           design(3, 0), design(2, 1, 0.999), design(2, 1, 0.7),
                                           design(4, 0.5, 0.5)));

TEST(Staircase, StageCountFallsAsRefluxRises)
{
    const EquilibriumCurve curve = alpha_curve(2.0);
    double previous = std::numeric_limits<double>::infinity();
    for (double factor : {1.05, 1.1, 1.3, 1.6, 2.0, 3.0, 5.0, 10.0, 30.0}) {
        const McCabeThieleSpec spec = design(rmin(curve, 0.95, 0.05, 0.5, 1).value().r_min * factor);
        const double n = mccabe_thiele(curve, spec).value().n_stages;
        EXPECT_LT(n, previous) << factor;
        previous = n;
    }
}

TEST(Murphree, EfficiencyBelowOneNeverNeedsFewerStages)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    const McCabeThieleResult ideal = mccabe_thiele(curve, design(2)).value();
    // Within 1e-12 of one the true curve's inverse is used: the same corners.
    EXPECT_EQ(mccabe_thiele(curve, design(2, 1, 1 - 1e-13)).value().stages, ideal.stages);
    double previous = ideal.n_stages;
    for (double e : {0.999, 0.9, 0.7, 0.5}) {
        const double n = mccabe_thiele(curve, design(2, 1, e)).value().n_stages;
        EXPECT_GE(n, previous) << e;
        previous = n;
    }
}

TEST(Murphree, UnreachableTargetIsReported)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    // P(0.5) = 0.5 + 0.5 (y*(0.5) - 0.5) < 0.9.
    EXPECT_TRUE(fails_with(equilibrium_step(curve, 1, 0, 0.5, 0.9, 0.5), ErrorKind::NotConverged,
                           "pseudo-equilibrium step cannot reach y = 0.9 (E_MV = 0.5) — the "
                           "staircase has pinched; raise R or E_MV"));
    // Below the pseudo-curve's value at x = 0: P(0) = 0.2 + 0.5 (0 - 0.2) = 0.1.
    EXPECT_TRUE(fails_with(equilibrium_step(curve, 1, 0.2, 0.5, 0.05, 0.5), ErrorKind::NotConverged,
                           "pseudo-equilibrium step cannot reach y = 0.05 (E_MV = 0.5) — the "
                           "staircase has pinched; raise R or E_MV"));
    EXPECT_TRUE(fails_with(equilibrium_step(curve, 1, 0, 0.5, 0.9, 1.5), ErrorKind::InvalidInput,
                           "query 1.5 outside the sampled range [0, 1]"));
}

TEST(FeedStage, LastStageCrossingIntersectionAndBottomsDoesNotSwitch)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    // The first corners on the rectifying line y = 0.75 x + 0.2375 (R = 3)
    // do not depend on z_F or x_B as long as they stay above the feed.
    McCabeThieleSpec spec{0.95, 0.01, 0.02, 1.0, 3.0, 1.0, CondenserKind::Total};
    const double x1 = equilibrium_step(curve, 0.75, 0.2375, 1, 0.95, 0.95).value();
    const double x2 = equilibrium_step(curve, 0.75, 0.2375, 1, 0.75 * x1 + 0.2375, x1).value();
    const double x3 = equilibrium_step(curve, 0.75, 0.2375, 1, 0.75 * x2 + 0.2375, x2).value();

    // x_3 < x_B < z_F < x_2: stage 3 crosses both and ends the staircase.
    spec.z_feed = x3 + 0.75 * (x2 - x3);
    spec.x_bottoms = x3 + 0.25 * (x2 - x3);
    const McCabeThieleResult both = mccabe_thiele(curve, spec).value();
    EXPECT_EQ(both.stages.size(), 3u);
    EXPECT_EQ(both.feed_stage, 3u);
    EXPECT_EQ(both.stages[2].x, x3);
    EXPECT_NEAR(both.n_stages, 2.75, 1e-12);

    // x_B < x_3 < z_F < x_2: stage 3 is the feed stage and stepping goes on.
    spec.x_bottoms = 0.05;
    const McCabeThieleResult fed = mccabe_thiele(curve, spec).value();
    EXPECT_EQ(fed.feed_stage, 3u);
    EXPECT_GT(fed.stages.size(), 3u);
    expect_consistent_staircase(curve, fed);
}

TEST(Condenser, PartialChangesNoNumber)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    McCabeThieleSpec spec = design(2, 0.7, 0.8);
    const McCabeThieleResult total = mccabe_thiele(curve, spec).value();
    spec.condenser = CondenserKind::Partial;
    const McCabeThieleResult partial = mccabe_thiele(curve, spec).value();
    EXPECT_EQ(partial.spec.condenser, CondenserKind::Partial);
    EXPECT_EQ(partial.n_stages, total.n_stages);
    EXPECT_EQ(partial.feed_stage, total.feed_stage);
    EXPECT_EQ(partial.stages, total.stages);
    EXPECT_EQ(partial.staircase, total.staircase);
    EXPECT_EQ(partial.stripping.slope, total.stripping.slope);
    EXPECT_EQ(partial.intersection, total.intersection);
}

// A close-boiling pair needs hundreds of stages; the bottoms purity at which
// the count passes the limit is found by bisection.
TEST(StageLimit, FiveHundredStagesSucceedAndFiveHundredOneFail)
{
    const EquilibriumCurve curve = alpha_curve(1.02);
    McCabeThieleSpec spec{0.9, 0.0, 0.5, 1.0, 200.0, 1.0, CondenserKind::Total};
    const auto corners = [&](double x_b) -> std::size_t {
        spec.x_bottoms = x_b;
        const auto r = mccabe_thiele(curve, spec);
        return r ? r->stages.size() : 0;
    };
    double fails = 1e-4;   // needs more than 500 stages
    double passes = 0.3;  // needs fewer
    ASSERT_EQ(corners(fails), 0u);
    ASSERT_GT(corners(passes), 0u);
    for (int i = 0; i < 60 && std::nextafter(fails, 1.0) < passes; ++i) {
        const double mid = 0.5 * (fails + passes);
        (corners(mid) == 0 ? fails : passes) = mid;
    }
    EXPECT_EQ(corners(passes), 500u);
    spec.x_bottoms = fails;
    EXPECT_TRUE(fails_with(mccabe_thiele(curve, spec), ErrorKind::NotConverged,
                           "exceeded 500 stages without reaching x_B = " + format::number(fails) +
                               " — spec pinched"));
}

}  // namespace
}  // namespace kolvar::engine
