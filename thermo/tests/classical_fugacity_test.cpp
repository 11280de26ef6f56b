// The Newton solvers' fugacity kernel against the general routine, against
// central differences of itself and against the exact slopes of the any-model
// entry point (fugacity_derivatives), and the phase's root against the full cubic solver over
// random cubics of every two-parameter family.
#include "thermo/mixture.hpp"
#include "thermo/fugacity_derivatives.hpp"

#include "flash/classical_fugacity.hpp"
#include "flash_test_support.hpp"
#include "mixture/phase_root.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

struct Case {
    std::vector<std::string> names;
    Eos eos;
    std::vector<std::vector<double>> kij;
    std::vector<double> composition;
    double temperature;
    double pressure;
};

class ClassicalFugacity : public ::testing::TestWithParam<Case> {};

// ln phi equals the general routine's; the slopes along T, ln P and the
// amounts equal central differences; sum_i z_i N d ln phi_i/dN_j = 0.
TEST_P(ClassicalFugacity, MatchesTheGeneralRoutineAndItsDifferences)
{
    const Case c = GetParam();
    const auto components = mixture(c.names);
    const std::size_t n = components.size();
    const SystemSpec spec{.liquid = liquid::PhiPhi{c.eos}, .components = components, .kij = c.kij,
                          .vapor = VaporModel::equation_of_state(c.eos)};
    const auto kernel = flash::classical_mixture(spec);
    ASSERT_TRUE(kernel.has_value());
    const MixtureSpec general{.components = components, .kij = c.kij};

    auto ln_phi_at = [&](double t, double p, const std::vector<double>& z, Phase phase) {
        flash::CubicState state;
        state.prepare(*kernel, t, p);
        std::vector<double> out(n);
        EXPECT_TRUE(state.ln_phi(*kernel, z, phase, out, nullptr).has_value());
        return out;
    };
    for (Phase phase : {Phase::Liquid, Phase::Vapor}) {
        flash::CubicState state;
        state.prepare(*kernel, c.temperature, c.pressure);
        std::vector<double> ln_phi(n), d_t(n), d_p(n), d_n(n * n);
        const flash::CubicState::Slopes slopes{d_t, d_p, d_n};
        ASSERT_TRUE(state.ln_phi(*kernel, c.composition, phase, ln_phi, &slopes).has_value());

        const auto reference = mixture_ln_phi(general, c.eos, c.temperature, c.pressure, c.composition, phase);
        ASSERT_TRUE(reference.has_value());
        // The slopes chained by hand (d alpha/dT by a difference) against the exact ones.
        FugacityDerivatives exact;
        ASSERT_TRUE(fugacity_derivatives(spec, c.temperature, c.pressure, c.composition, phase, exact).has_value());
        const double h_t = 1e-3;
        const double h_p = 1e-5;
        const auto t_up = ln_phi_at(c.temperature + h_t, c.pressure, c.composition, phase);
        const auto t_down = ln_phi_at(c.temperature - h_t, c.pressure, c.composition, phase);
        const auto p_up = ln_phi_at(c.temperature, c.pressure * std::exp(h_p), c.composition, phase);
        const auto p_down = ln_phi_at(c.temperature, c.pressure * std::exp(-h_p), c.composition, phase);
        for (std::size_t i = 0; i < n; ++i) {
            EXPECT_NEAR(ln_phi[i], (*reference)[i], 1e-12 * (1.0 + std::abs(ln_phi[i])));
            EXPECT_NEAR(d_t[i], (t_up[i] - t_down[i]) / (2.0 * h_t), 1e-6 * (1.0 + std::abs(d_t[i])));
            EXPECT_NEAR(d_t[i], exact.d_temperature[i], 1e-9 * (1.0 + std::abs(exact.d_temperature[i])));
            EXPECT_NEAR(d_p[i], (p_up[i] - p_down[i]) / (2.0 * h_p), 1e-6 * (1.0 + std::abs(d_p[i])));
            EXPECT_NEAR(d_p[i], c.pressure * exact.d_pressure[i], 1e-12 * (1.0 + std::abs(d_p[i])));
            EXPECT_NEAR(ln_phi[i], exact.ln_phi[i], 1e-12 * (1.0 + std::abs(ln_phi[i])));
        }
        const double h_n = 1e-6;
        for (std::size_t j = 0; j < n; ++j) {
            // ln phi depends on the amounts through the mole fractions only.
            std::vector<double> up = c.composition, down = c.composition;
            up[j] += h_n;
            down[j] -= h_n;
            for (double& v : up) v /= 1.0 + h_n;
            for (double& v : down) v /= 1.0 - h_n;
            const auto above = ln_phi_at(c.temperature, c.pressure, up, phase);
            const auto below = ln_phi_at(c.temperature, c.pressure, down, phase);
            double gibbs_duhem = 0.0;
            for (std::size_t i = 0; i < n; ++i) {
                const double d = d_n[i * n + j];
                EXPECT_NEAR(d, (above[i] - below[i]) / (2.0 * h_n), 1e-5 * (1.0 + std::abs(d))) << i << " " << j;
                EXPECT_NEAR(d, exact.d_amounts[i * n + j], 1e-12 * (1.0 + std::abs(d))) << i << " " << j;
                gibbs_duhem += c.composition[i] * d;
            }
            EXPECT_NEAR(gibbs_duhem, 0.0, 1e-12);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flash, ClassicalFugacity,
    ::testing::Values(Case{{"methanol", "water"}, Eos::PR1976, {}, {0.3, 0.7}, 345.0, 101.325},
                      Case{{"methane", "propane", "n-pentane"}, Eos::RKS1972,
                           {{0.0, 0.02, 0.04}, {0.02, 0.0, 0.01}, {0.05, 0.01, 0.0}}, {0.2, 0.5, 0.3}, 300.0, 2000.0},
                      Case{{"benzene", "toluene"}, Eos::VdW1870, {}, {0.6, 0.4}, 380.0, 101.325}));

// The phase's root is the full solver's choice, polished, to rounding: random
// A and B over twelve and fourteen decades, PR, RK and VdW forms, both phases.
TEST(PhaseRoot, IsTheFullSolversChoice)
{
    std::mt19937_64 random(20240613);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double families[3][2] = {{2.0, -1.0}, {1.0, 0.0}, {0.0, 0.0}};
    for (int trial = 0; trial < 200000; ++trial) {
        const double a = std::exp(std::log(1e-6) + unit(random) * std::log(1e12));
        const double b = std::exp(std::log(1e-8) + unit(random) * std::log(1e8));
        const auto& [u, w] = families[trial % 3];
        const CubicCoefficients k = cubic_coefficients(a, b, u * b, w * b * b);
        const auto roots = solve_monic_cubic(k.c2, k.c1, k.c0);
        ASSERT_TRUE(roots.has_value());
        for (Phase phase : {Phase::Liquid, Phase::Vapor}) {
            const auto found = phase_root(k, b, phase);
            ASSERT_TRUE(found.has_value());
            std::optional<double> expected = select_root(*roots, b, phase);
            for (int step = 0; expected && step < 2; ++step) {
                const double slope = (3.0 * *expected + 2.0 * k.c2) * *expected + k.c1;
                if (std::abs(slope) < 1e-10) break;
                *expected -= (((*expected + k.c2) * *expected + k.c1) * *expected + k.c0) / slope;
            }
            ASSERT_EQ(found->has_value(), expected.has_value()) << a << " " << b;
            if (expected) {
                EXPECT_NEAR(**found, *expected, 1e-12 * *expected) << a << " " << b;
            }
        }
    }
}

}  // namespace
}  // namespace kolvar::thermo
