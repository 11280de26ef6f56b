#include "engine/binary/total_reflux.hpp"

#include "test_support.hpp"

#include "kolvar/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace kolvar::engine {
namespace {

using testing::alpha_curve;
using testing::fails_with;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct FenskeCase {
    double alpha;
    double x_d;
    double x_b;
};

class TotalRefluxFenske : public ::testing::TestWithParam<FenskeCase> {};

// On a constant-alpha curve the total-reflux staircase is the graphical
// form of Fenske's equation.
TEST_P(TotalRefluxFenske, MinimumStagesMatchFenske)
{
    const auto [alpha, x_d, x_b] = GetParam();
    const EquilibriumCurve curve = alpha_curve(alpha);
    const TotalRefluxResult r = total_reflux(curve, x_d, x_b, 1.0).value();
    const double fenske = std::log(x_d / (1 - x_d) * ((1 - x_b) / x_b)) / std::log(alpha);
    EXPECT_NEAR(r.n_min, fenske, 0.02 * fenske);

    // Geometry: every vapour is the liquid above, every liquid on the curve.
    const std::size_t n = r.stages.size();
    ASSERT_EQ(r.staircase.size(), 2 * n);
    EXPECT_EQ(r.staircase[0], (Point{x_d, x_d}));
    double x_above = x_d;
    for (std::size_t k = 0; k < n; ++k) {
        EXPECT_EQ(r.stages[k].index, k + 1);
        EXPECT_EQ(r.stages[k].y, x_above);
        EXPECT_EQ(r.staircase[2 * k + 1], (Point{r.stages[k].x, x_above}));
        if (k + 1 < n) {
            EXPECT_EQ(r.staircase[2 * k + 2], (Point{r.stages[k].x, r.stages[k].x}));
        }
        EXPECT_NEAR(curve.y_of_x(r.stages[k].x).value(), x_above, 1e-12);
        x_above = r.stages[k].x;
    }
    EXPECT_GT(r.n_min, static_cast<double>(n - 1));
    EXPECT_LE(r.n_min, static_cast<double>(n));

    // A stage efficiency below one never needs fewer stages.
    EXPECT_GE(total_reflux(curve, x_d, x_b, 0.5).value().n_min, r.n_min);
}

INSTANTIATE_TEST_SUITE_P(Pairs, TotalRefluxFenske,
                         ::testing::Values(FenskeCase{1.5, 0.95, 0.05}, FenskeCase{2.0, 0.95, 0.05},
                                           FenskeCase{2.5, 0.95, 0.05}, FenskeCase{1.5, 0.99, 0.01},
                                           FenskeCase{2.0, 0.9, 0.2}, FenskeCase{2.5, 0.99, 0.01}));

TEST(TotalReflux, FractionalLastStage)
{
    // Stepping from 0.5 meets the samples: corners at x = 0.3 and x = 0.1.
    const auto curve =
        EquilibriumCurve::from_points({0, 0.1, 0.3, 0.6, 1}, {0, 0.3, 0.5, 0.8, 1}).value();
    const TotalRefluxResult half = total_reflux(curve, 0.5, 0.2, 1.0).value();
    ASSERT_EQ(half.stages.size(), 2u);
    EXPECT_NEAR(half.n_min, 1.5, 1e-12);
    const double x2 = half.stages[1].x;
    EXPECT_EQ(total_reflux(curve, 0.5, x2, 1.0).value().n_min, 2.0);
}

TEST(TotalReflux, Refusals)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    EXPECT_TRUE(fails_with(total_reflux(curve, 0.95, 0, 1), ErrorKind::InvalidInput,
                           "need 0 < x_B < x_D < 1, got x_B = 0, x_D = 0.95"));
    EXPECT_TRUE(fails_with(total_reflux(curve, 1, 0.05, 1), ErrorKind::InvalidInput,
                           "need 0 < x_B < x_D < 1, got x_B = 0.05, x_D = 1"));
    EXPECT_TRUE(fails_with(total_reflux(curve, 0.5, 0.5, 0), ErrorKind::InvalidInput,
                           "need 0 < x_B < x_D < 1, got x_B = 0.5, x_D = 0.5"));
    EXPECT_TRUE(fails_with(total_reflux(curve, 0.95, 0.05, nan), ErrorKind::InvalidInput,
                           "Murphree efficiency must be in (0, 1], got NaN"));

    // The curve touches the diagonal at x = 0.5.
    const auto touching = EquilibriumCurve::from_points({0, 0.25, 0.5, 0.75, 1}, {0, 0.4, 0.5, 0.9, 1}).value();
    EXPECT_TRUE(fails_with(total_reflux(touching, 0.9, 0.1, 1), ErrorKind::NotConverged,
                           "total-reflux staircase pinched at x = 0.500000 (azeotrope between x_B and x_D?)"));
}

TEST(TotalReflux, FiveHundredStagesSucceedAndFiveHundredOneFail)
{
    // The staircase does not depend on x_B, which only decides where it stops.
    const EquilibriumCurve curve = alpha_curve(1.01);
    double x = 0.9;
    std::vector<double> corners;
    for (int n = 0; n < 501; ++n) corners.push_back(x = equilibrium_step(curve, 1, 0, 1, x, x).value());
    ASSERT_GT(corners[499], corners[500]);

    const TotalRefluxResult r = total_reflux(curve, 0.9, corners[499], 1).value();
    EXPECT_EQ(r.stages.size(), 500u);
    EXPECT_EQ(r.n_min, 500.0);
    const double x_b = 0.5 * (corners[499] + corners[500]);
    EXPECT_TRUE(fails_with(total_reflux(curve, 0.9, x_b, 1), ErrorKind::NotConverged,
                           "exceeded 500 stages at total reflux — x_B = " + format::number(x_b) +
                               " unreachable"));
}

TEST(RefluxSweep, MatchesTheFullConstructionWithNanForFailures)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    const std::vector<double> refluxes = {-1.0, 0.5, 1.1, 1.2, 2.0, 5.0, nan, 20.0};
    for (double e : {1.0, 0.8}) {
        const auto counts = n_vs_r(curve, refluxes, McCabeThieleSpec{0.95, 0.05, 0.5, 1.0, 0.0, e, CondenserKind::Total});
        ASSERT_EQ(counts.size(), refluxes.size());
        for (std::size_t i = 0; i < refluxes.size(); ++i) {
            EXPECT_EQ(std::isnan(counts[i].reflux), std::isnan(refluxes[i]));
            const McCabeThieleSpec spec{0.95, 0.05, 0.5, 1.0, refluxes[i], e, CondenserKind::Total};
            const auto full = mccabe_thiele(curve, spec);
            if (full) {
                EXPECT_EQ(counts[i].n_stages, full->n_stages) << i;
            } else {
                EXPECT_TRUE(std::isnan(counts[i].n_stages)) << i;
            }
        }
        EXPECT_TRUE(std::isnan(counts[0].n_stages));
        EXPECT_TRUE(std::isnan(counts[1].n_stages));
        EXPECT_GT(counts[4].n_stages, counts[5].n_stages);
    }
}

TEST(RefluxSweep, InvalidSpecificationGivesNanEverywhere)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    const std::vector<double> refluxes = {2.0, 5.0};
    for (const StageCount& c : n_vs_r(curve, refluxes, {1.5, 0.05, 0.5, 1.0, 0.0, 1.0, CondenserKind::Partial})) {
        EXPECT_TRUE(std::isnan(c.n_stages));
    }
    EXPECT_TRUE(n_vs_r(curve, {}, {0.95, 0.05, 0.5, 1.0, 0.0, 1.0, CondenserKind::Total}).empty());
}

}  // namespace
}  // namespace kolvar::engine
