#include "thermo/cubic.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <limits>
#include <random>
#include <vector>

namespace kolvar::thermo {
namespace {

struct Monic {
    double a, b, c;
};

// x^3 + a x^2 + b x + c with the given roots.
Monic from_roots(double r1, double r2, double r3)
{
    return {-(r1 + r2 + r3), r1 * r2 + r1 * r3 + r2 * r3, -(r1 * r2 * r3)};
}

// |f(x)| over the sum of the magnitudes of its terms: a backward error that
// stays near machine precision for a root computed to full relative accuracy
// of the coefficients, however the roots are spread.
double relative_residual(const Monic& m, double x)
{
    const double terms[] = {x * x * x, m.a * x * x, m.b * x, m.c};
    double value = 0.0, scale = 0.0;
    for (double t : terms) {
        value += t;
        scale += std::abs(t);
    }
    return scale == 0.0 ? 0.0 : std::abs(value) / scale;
}

std::vector<double> roots_of(const CubicRoots& r) { return {r.roots.begin(), r.roots.begin() + r.count}; }

struct Case {
    const char* label;
    Monic cubic;
    std::vector<double> roots;
    double tolerance = 1e-12;  // relative
};

class KnownRoots : public ::testing::TestWithParam<Case> {};

TEST_P(KnownRoots, FindsEveryDistinctRootInOrder)
{
    const Case& c = GetParam();
    const auto solved = solve_monic_cubic(c.cubic.a, c.cubic.b, c.cubic.c);
    ASSERT_TRUE(solved.has_value());
    const auto roots = roots_of(*solved);
    ASSERT_EQ(roots.size(), c.roots.size());
    for (std::size_t i = 0; i < roots.size(); ++i) {
        EXPECT_NEAR(roots[i], c.roots[i], c.tolerance * std::abs(c.roots[i])) << "root " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cubic, KnownRoots,
    ::testing::Values(Case{"triple_zero", {0, 0, 0}, {0}},
                      Case{"double_then_simple", {-4, 5, -2}, {1, 2}},
                      Case{"simple_then_double", {-5, 8, -4}, {1, 2}},
                      Case{"three_integers", {-6, 11, -6}, {1, 2, 3}},
                      Case{"triple_one", {-3, 3, -1}, {1}},
                      // Roots near 3.78e-8, 1.04e-6 and 0.99999889 (the coefficients
                      // are rounded to 10 digits, hence the tolerance): a
                      // discriminant tiny in absolute terms must not be read as a
                      // repeated root, so all three come back.
                      Case{"small_separate_roots",
                           {-0.9999999678, 1.077798842954e-06, -3.931195636368e-14},
                           {3.78e-8, 1.04e-6, 0.99999889},
                           1e-3},
                      // All roots tiny: neither repeated-root test may use an
                      // absolute scale.
                      Case{"tiny_double_root", {-4e-7, 5e-14, -2e-21}, {1e-7, 2e-7}, 1e-7},
                      Case{"large_triple_root", {-3e4, 3e8, -1e12}, {1e4}, 1e-12}),
    [](const auto& instance) { return std::string(instance.param.label); });

TEST(Cubic, OneRealRootWhenTheOtherTwoAreComplex)
{
    const auto solved = solve_monic_cubic(0, 1, 1);  // x^3 + x + 1
    ASSERT_TRUE(solved.has_value());
    ASSERT_EQ(solved->count, 1u);
    EXPECT_LT(relative_residual({0, 1, 1}, solved->roots[0]), 1e-15);
}

TEST(Cubic, RootsCloserThanTheSpacingMergeIntoTheSmaller)
{
    const double r = 0.5, gap = 1e-13;
    const Monic m = from_roots(0.1, r, r + gap);
    const auto solved = solve_monic_cubic(m.a, m.b, m.c);
    ASSERT_TRUE(solved.has_value());
    ASSERT_EQ(solved->count, 2u);
    EXPECT_NEAR(solved->roots[0], 0.1, 1e-12);
    EXPECT_NEAR(solved->roots[1], r, 1e-7);
}

TEST(Cubic, RoundingBeyondTheAcosDomainStillGivesRealRoots)
{
    // A near-double root in the three-root branch: -h/sqrt(-k^3) lands on or
    // just past 1 in floating point.
    for (double eps : {1e-6, 1e-7, 1e-8}) {
        const Monic m = from_roots(1.0, 1.0 + eps, 3.0);
        const auto solved = solve_monic_cubic(m.a, m.b, m.c);
        ASSERT_TRUE(solved.has_value());
        for (double root : roots_of(*solved)) {
            EXPECT_TRUE(std::isfinite(root));
            EXPECT_LT(relative_residual(m, root), 1e-12) << eps;
        }
    }
}

TEST(Cubic, NonFiniteCoefficientIsReportedWithAllFour)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto first = solve_monic_cubic(nan, 0.5, -2);
    ASSERT_FALSE(first.has_value());
    EXPECT_EQ(first.error().kind, CubicError::Kind::NonFinite);
    EXPECT_EQ(first.error().text(), "non-finite coefficient: a=1, b=NaN, c=0.5, d=-2");

    const auto last = solve_monic_cubic(1e-7, 0, -inf);
    ASSERT_FALSE(last.has_value());
    EXPECT_EQ(last.error().text(), "non-finite coefficient: a=1, b=0.0000001, c=0, d=-inf");
}

TEST(Cubic, OverflowGivesNonFiniteRootsNotFiniteGarbage)
{
    for (const Monic& m : {Monic{1e200, 0, 0}, Monic{0, 0, 1e300}, Monic{-1e120, 1e200, -1e300}}) {
        const auto solved = solve_monic_cubic(m.a, m.b, m.c);
        ASSERT_TRUE(solved.has_value());
        ASSERT_GE(solved->count, 1u);
        for (double root : roots_of(*solved)) {
            if (std::isfinite(root)) {
                EXPECT_LT(relative_residual(m, root), 1e-12) << root;
            }
        }
    }
}

TEST(Cubic, LeadingNearZeroText)
{
    const CubicError error{CubicError::Kind::LeadingNearZero, 1e-20};
    EXPECT_EQ(error.text(), "leading coefficient is near zero (0.00000000000000000001); not a cubic equation");
}

// Cubics built from three real roots spread over ten decades, both signs.
// Every returned root must satisfy the cubic to near machine precision, the
// roots must be ascending and distinct, and every known root more than 1e-9
// (relative) away from the other two must be found to 1e-9.
TEST(Cubic, RandomCubicsFromKnownRoots)
{
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> decade(-8.0, 2.0);
    std::bernoulli_distribution negative(0.2);
    auto draw = [&] { return (negative(rng) ? -1.0 : 1.0) * std::pow(10.0, decade(rng)); };

    for (int trial = 0; trial < 20000; ++trial) {
        std::array<double, 3> known = {draw(), draw(), draw()};
        std::sort(known.begin(), known.end());
        const Monic m = from_roots(known[0], known[1], known[2]);
        const auto solved = solve_monic_cubic(m.a, m.b, m.c);
        ASSERT_TRUE(solved.has_value());
        const auto roots = roots_of(*solved);
        SCOPED_TRACE(::testing::Message() << std::setprecision(17) << "roots " << known[0] << ", " << known[1]
                                          << ", " << known[2]);

        for (std::size_t i = 0; i < roots.size(); ++i) {
            EXPECT_LT(relative_residual(m, roots[i]), 1e-13) << "root " << roots[i];
            if (i > 0) {
                EXPECT_GT(roots[i], roots[i - 1]);
            }
        }
        for (std::size_t k = 0; k < 3; ++k) {
            const double tolerance = 1e-9 * std::abs(known[k]);
            const bool isolated = std::abs(known[(k + 1) % 3] - known[k]) > tolerance &&
                                  std::abs(known[(k + 2) % 3] - known[k]) > tolerance;
            if (!isolated) continue;
            const bool found =
                std::any_of(roots.begin(), roots.end(), [&](double r) { return std::abs(r - known[k]) <= tolerance; });
            EXPECT_TRUE(found) << "missed root " << known[k];
        }
    }
}

// One real root and a complex pair, magnitudes spread over ten decades. Every
// returned root satisfies the cubic; when the pair is clearly complex (its
// imaginary part not below 1e-3 of the larger of the real parts) exactly one
// root comes back and it matches the real root.
TEST(Cubic, RandomCubicsWithAComplexPair)
{
    std::mt19937_64 rng(77);
    std::uniform_real_distribution<double> decade(-8.0, 2.0), sign(-1.0, 1.0);
    for (int trial = 0; trial < 20000; ++trial) {
        const double real_root = std::copysign(std::pow(10.0, decade(rng)), sign(rng));
        const double re = std::pow(10.0, decade(rng)) * sign(rng);
        const double im = std::pow(10.0, decade(rng));
        // (x - real_root)(x^2 - 2 re x + re^2 + im^2)
        const double q1 = -2.0 * re, q0 = re * re + im * im;
        const Monic m = {q1 - real_root, q0 - real_root * q1, -real_root * q0};
        const auto solved = solve_monic_cubic(m.a, m.b, m.c);
        ASSERT_TRUE(solved.has_value());
        SCOPED_TRACE(::testing::Message() << std::setprecision(17) << "root " << real_root << ", pair " << re
                                          << " +- " << im << "i");
        for (double root : roots_of(*solved)) EXPECT_LT(relative_residual(m, root), 1e-13) << root;
        if (im >= 1e-3 * std::max(std::abs(re), std::abs(real_root))) {
            ASSERT_EQ(solved->count, 1u);
            EXPECT_NEAR(solved->roots[0], real_root, 1e-9 * std::abs(real_root));
        }
    }
}

}  // namespace
}  // namespace kolvar::thermo
