// An infinite reflux ratio is refused, not turned into NaN operating lines.
#include "engine/binary/mccabe_thiele.hpp"
#include "engine/binary/total_reflux.hpp"

#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace kolvar::engine {
namespace {

using testing::alpha_curve;
using testing::fails_with;

constexpr double inf = std::numeric_limits<double>::infinity();

McCabeThieleSpec design(double reflux, double murphree)
{
    return McCabeThieleSpec{0.9, 0.1, 0.5, 1.0, reflux, murphree, CondenserKind::Total};
}

class InfiniteReflux : public ::testing::TestWithParam<double> {};

// With E_MV < 1 the construction used to succeed with NaN lines and a
// one-stage staircase; with E_MV = 1 it failed on a NaN curve query.
TEST_P(InfiniteReflux, IsRefusedAsInput)
{
    EXPECT_TRUE(fails_with(mccabe_thiele(alpha_curve(2.5), design(inf, GetParam())), ErrorKind::InvalidInput,
                           "reflux ratio must be finite, got inf"));
}

TEST_P(InfiniteReflux, IsNaNInTheSweepWhileTheLargestFiniteRefluxStepsLikeTotalReflux)
{
    const EquilibriumCurve curve = alpha_curve(2.5);
    const std::vector<double> reflux{inf, std::numeric_limits<double>::max()};
    const auto sweep = n_vs_r(curve, reflux, design(0.0, GetParam()));
    ASSERT_EQ(sweep.size(), 2u);
    EXPECT_TRUE(std::isnan(sweep[0].n_stages));
    EXPECT_EQ(sweep[1].n_stages, total_reflux(curve, 0.9, 0.1, GetParam()).value().n_min);
}

INSTANTIATE_TEST_SUITE_P(Efficiencies, InfiniteReflux, ::testing::Values(1.0, 0.6, 0.05));

}  // namespace
}  // namespace kolvar::engine
