#include "engine/binary/equilibrium.hpp"

#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kolvar::engine {
namespace {

using testing::alpha_curve;
using testing::fails_with;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

const std::vector<double> grid5 = {0, 0.25, 0.5, 0.75, 1};

struct PointsCase {
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> t;
    std::string message;
};

class FromPointsRefused : public ::testing::TestWithParam<PointsCase> {};

TEST_P(FromPointsRefused, ReportsTheFirstFailingCheck)
{
    const PointsCase& c = GetParam();
    EXPECT_TRUE(fails_with(EquilibriumCurve::from_points(c.x, c.y, c.t), ErrorKind::InvalidInput,
                           c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Checks, FromPointsRefused,
    ::testing::Values(
        PointsCase{{0, 0.5, 0.75, 1}, {0, 0.6, 0.8, 1}, {}, "x and y must have equal length ≥ 5, got 4 and 4"},
        PointsCase{grid5, {0, 0.4, 0.6, 1}, {}, "x and y must have equal length ≥ 5, got 5 and 4"},
        PointsCase{grid5, {0, 0.4, 0.6, 0.8, 1}, {1, 2, 3}, "t must be empty or match x's length 5, got 3"},
        // The span check comes before the increase check.
        PointsCase{{0, 0.5, 0.25, 0.75, 0.999}, {0, 0.4, 0.6, 0.8, 1}, {}, "x must span [0, 1] with x[0] = 0 and x[last] = 1"},
        PointsCase{{0, 0.25, 0.25, 0.75, 1}, {0, 0.4, 0.6, 0.8, 1}, {}, "x must be strictly increasing"},
        PointsCase{{0, 0.25, nan, 0.75, 1}, {0, 0.4, 0.6, 0.8, 1}, {}, "x must be strictly increasing"},
        PointsCase{grid5, {0, 0.6, 0.5, 0.8, 1}, {}, "y must be nondecreasing (binary VLE curves are monotone in x)"},
        PointsCase{grid5, {0, 0.4, nan, 0.8, 1}, {}, "y must be nondecreasing (binary VLE curves are monotone in x)"},
        PointsCase{grid5, {-0.1, 0.4, 0.6, 0.8, 1}, {}, "y values must lie in [0, 1]"},
        PointsCase{grid5, {0, 0.4, 0.6, 0.8, 1.01}, {}, "y values must lie in [0, 1]"}));

TEST(FromPoints, StoresTheSamplesAsGiven)
{
    const auto curve = EquilibriumCurve::from_points({-0.0, 0.25, 0.5, 0.75, 1}, {0, 0.4, 0.6, 0.8, 1},
                                                     {}, std::nullopt);
    ASSERT_TRUE(curve);
    EXPECT_EQ(curve->size(), 5u);
    EXPECT_FALSE(curve->has_temperatures());
    EXPECT_FALSE(curve->pressure());

    const auto measured = EquilibriumCurve::from_points(grid5, {0, 0.4, 0.6, 0.8, 1},
                                                        {373.15, 360, nan, -1, 337.8}, 101.325);
    ASSERT_TRUE(measured);
    EXPECT_EQ(measured->pressure(), 101.325);
    EXPECT_TRUE(std::isnan(measured->t()[2]));
    EXPECT_DOUBLE_EQ(measured->temperature_of_x(0.125).value(), 366.575);
}

TEST(FromPoints, FlatStretchInvertsToItsLowerEnd)
{
    const auto curve = EquilibriumCurve::from_points(grid5, {0, 0.5, 0.5, 0.9, 1}).value();
    EXPECT_EQ(curve.x_of_y(0.5).value(), 0.25);
    EXPECT_DOUBLE_EQ(curve.x_of_y(0.7).value(), 0.625);
    EXPECT_EQ(curve.x_of_y(0.0).value(), 0.0);
}

struct AlphaCase {
    double alpha;
    std::uint64_t n_points;
    std::string message;
};

class ConstantAlphaRefused : public ::testing::TestWithParam<AlphaCase> {};

TEST_P(ConstantAlphaRefused, ReportsTheFirstFailingCheck)
{
    const AlphaCase& c = GetParam();
    EXPECT_TRUE(fails_with(EquilibriumCurve::constant_alpha(c.alpha, c.n_points),
                           ErrorKind::InvalidInput, c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ConstantAlphaRefused,
    ::testing::Values(AlphaCase{0, 101, "alpha must be positive, got 0"},
                      AlphaCase{-1, 4, "alpha must be positive, got -1"},
                      AlphaCase{nan, 101, "alpha must be positive, got NaN"},
                      AlphaCase{inf, 101, "alpha must be finite, got inf"},
                      AlphaCase{2.5, 4, "n_points must be at least 5, got 4"},
                      AlphaCase{2.5, 100'000'001, "n_points must be at most 100000000, got 100000001"},
                      AlphaCase{2.5, std::uint64_t{1} << 62,
                                "n_points must be at most 100000000, got 4611686018427387904"}));

TEST(ConstantAlpha, SamplesTheClosedFormOnAnEvenGrid)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    ASSERT_EQ(curve.size(), 101u);
    EXPECT_EQ(curve.x()[0], 0.0);
    EXPECT_EQ(curve.x()[50], 0.5);
    EXPECT_EQ(curve.x()[100], 1.0);
    EXPECT_EQ(curve.y()[50], 0.7142857142857143);
    EXPECT_EQ(curve.y()[100], 1.0);
    EXPECT_TRUE(curve.t().empty());
    EXPECT_FALSE(curve.pressure());

    const EquilibriumCurve five = alpha_curve(1.0, 5);
    EXPECT_EQ(std::vector<double>(five.x().begin(), five.x().end()), grid5);
    EXPECT_EQ(std::vector<double>(five.y().begin(), five.y().end()), grid5);
}

TEST(Queries, RelativeVolatilityOnAndBetweenSamples)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    EXPECT_EQ(curve.relative_volatility(0.3).value(), 2.5000000000000004);
    EXPECT_EQ(curve.relative_volatility(0.305).value(), 2.499696567572379);
    // Chords lie below a concave curve, so between samples alpha dips slightly.
    for (double x = 0.0105; x < 1; x += 0.01) EXPECT_LT(curve.relative_volatility(x).value(), 2.5);
}

TEST(Queries, RangeSlackAndEnds)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    EXPECT_EQ(curve.y_of_x(0.0).value(), curve.y()[0]);
    EXPECT_EQ(curve.y_of_x(-1e-13).value(), curve.y()[0]);
    EXPECT_EQ(curve.y_of_x(1 + 1e-13).value(), 1.0);
    EXPECT_TRUE(fails_with(curve.y_of_x(-2e-12), ErrorKind::InvalidInput,
                           "query -0.000000000002 outside the sampled range [0, 1]"));
    EXPECT_TRUE(fails_with(curve.x_of_y(1.5), ErrorKind::InvalidInput,
                           "query 1.5 outside the sampled range [0, 1]"));
}

TEST(Queries, InverseUndoesForwardQuery)
{
    const EquilibriumCurve curve = alpha_curve(3.7, 37);
    for (double x = 0.0; x <= 1.0; x += 0.0123) {
        EXPECT_NEAR(curve.x_of_y(curve.y_of_x(x).value()).value(), x, 1e-14);
    }
}

TEST(Queries, NanQueriesFailTheRangeCheck)
{
    const auto curve = EquilibriumCurve::from_points(grid5, {0.1, 0.4, 0.6, 0.8, 0.9}, {400, 390, 380, 370, 360}).value();
    const std::string message = "query NaN outside the sampled range [0, 1]";
    EXPECT_TRUE(fails_with(curve.y_of_x(nan), ErrorKind::InvalidInput, message));
    EXPECT_TRUE(fails_with(curve.temperature_of_x(nan), ErrorKind::InvalidInput, message));
    EXPECT_TRUE(fails_with(curve.x_of_y(nan), ErrorKind::InvalidInput,
                           "query NaN outside the sampled range [0.1, 0.9]"));
    EXPECT_TRUE(fails_with(curve.relative_volatility(nan), ErrorKind::InvalidInput,
                           "relative volatility needs x strictly inside (0, 1), got NaN"));
}

TEST(Queries, TemperatureAndVolatilityPreconditions)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    EXPECT_TRUE(fails_with(curve.temperature_of_x(0.5), ErrorKind::InvalidInput,
                           "this curve has no temperature data (synthetic curve)"));
    for (double x : {0.0, 1.0}) {
        EXPECT_TRUE(fails_with(curve.relative_volatility(x), ErrorKind::InvalidInput,
                               "relative volatility needs x strictly inside (0, 1), got " +
                                   std::string(x == 0 ? "0" : "1")));
    }
}

TEST(FromSamples, NonMonotoneVapourIsInvertedByScanningInOrder)
{
    // y rises past 0.35 at the first segment, dips below it, and rises again:
    // the inverse belongs to the first segment that reaches the query.
    const auto curve = EquilibriumCurve::from_samples(grid5, {0, 0.9, 0.3, 0.4, 1}, {}, 50.0);
    ASSERT_TRUE(curve);
    EXPECT_FALSE(curve->y_sorted());
    EXPECT_DOUBLE_EQ(curve->x_of_y(0.35).value(), 0.35 / 0.9 * 0.25);
    EXPECT_DOUBLE_EQ(curve->x_of_y(0.95).value(), 0.75 + 0.25 * (0.55 / 0.6));
    EXPECT_TRUE(alpha_curve(2.5).y_sorted());

    EXPECT_TRUE(fails_with(EquilibriumCurve::from_samples(grid5, {0, 1}, {}, std::nullopt),
                           ErrorKind::InvalidInput, "x and y must have equal length ≥ 5, got 5 and 2"));
}

TEST(Interpolate, RepeatedAbscissaUsesTheSegmentEndingAtItsFirstEntry)
{
    const std::vector<double> a = {0, 1, 1, 2};
    const std::vector<double> b = {0, 10, 20, 30};
    EXPECT_EQ(interpolate(a, b, 1.0).value(), 10.0);
    EXPECT_EQ(interpolate(a, b, 1.5).value(), 25.0);
    EXPECT_EQ(interpolate(a, b, 1.5, Abscissas::Unsorted).value(), 25.0);
}

}  // namespace
}  // namespace kolvar::engine
