// Michelsen's phase fractions at fixed fugacity coefficients: whatever the
// start, the result satisfies the minimum's conditions of the convex
//   Q(beta) = sum_k beta_k - sum_i z_i ln E_i,  E_i = sum_k beta_k / phi_ik,
// over beta >= 0: gradient g_k = 1 - sum_i z_i / (phi_ik E_i) zero for a
// present phase and not negative for an absent one. With the phases
// present, sum_k beta_k x_ik = z_i for x_ik = z_i / (phi_ik E_i): the
// material balance of the split.
#include "flash/phase_fractions.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

using kolvar::thermo::SmallVector;
using kolvar::thermo::flash::max_phases;
using kolvar::thermo::flash::minimise_fractions;
using kolvar::thermo::flash::TrialList;
using kolvar::thermo::flash::weights;

struct Fractions {
    std::string name;
    std::vector<double> z;
    std::vector<std::vector<double>> inverse_phi;  // 1/phi_ik, one row per phase
    std::vector<double> start;
};

class PhaseFractions : public ::testing::TestWithParam<Fractions> {};

TEST_P(PhaseFractions, MeetTheConditionsOfTheMinimum)
{
    const Fractions& c = GetParam();
    const std::size_t m = c.start.size();
    SmallVector<TrialList, max_phases> inverse_phi;
    for (const auto& row : c.inverse_phi) inverse_phi.push_back(TrialList(std::span<const double>(row)));
    std::vector<double> beta = c.start;
    TrialList e(c.z.size());
    weights(beta, inverse_phi, e);
    minimise_fractions(c.z, inverse_phi, beta, e);

    double total = 0.0;
    for (std::size_t k = 0; k < m; ++k) {
        double g = 1.0;
        for (std::size_t i = 0; i < c.z.size(); ++i) g -= c.z[i] * inverse_phi[k][i] / e[i];
        ASSERT_GE(beta[k], 0.0) << k;
        if (beta[k] > 0.0) EXPECT_NEAR(g, 0.0, 1e-10) << "phase " << k << " beta " << beta[k];
        else EXPECT_GE(g, -1e-10) << "phase " << k;
        total += beta[k];
    }
    EXPECT_NEAR(total, 1.0, 1e-10);
}

INSTANTIATE_TEST_SUITE_P(
    Splits, PhaseFractions,
    ::testing::Values(
        Fractions{"TwoPhasesInside", {0.5, 0.5}, {{1.0, 1.0}, {2.5, 0.4}}, {1.0, 0.0}},
        Fractions{"TwoPhasesOneAbsent", {0.5, 0.5}, {{1.0, 1.0}, {1.2, 0.9}}, {0.5, 0.5}},
        Fractions{"ThreePhasesOfThree", {0.3, 0.3, 0.4}, {{1.0, 1.0, 1.0}, {3.0, 0.5, 0.8}, {0.4, 2.5, 0.9}},
                  {1.0, 0.0, 0.0}},
        // More phases than components: the entering liquid must replace the
        // vapour, whose Newton step the singular Hessian cannot give.
        Fractions{"AThirdPhaseReplacesOne",
                  {0.05, 0.95},
                  {{6.6567382100833533e-10, 19540.469212916512},
                   {1.0358731477250342, 1.0317479334558259},
                   {1.3426510273681662, 18.528325317980244}},
                  {0.94999736044253369, 0.050002639557466033, 0.0}},
        // Twin phases, one of them left with a rounding remainder.
        Fractions{"TwinPhases", {0.05, 0.95}, {{2.0, 0.5}, {0.3, 1.6}, {0.3, 1.6}}, {0.98, 0.02, 1e-19}}),
    [](const ::testing::TestParamInfo<Fractions>& instance) { return instance.param.name; });

}  // namespace
