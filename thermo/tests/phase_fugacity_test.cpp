// The temperature slopes of the correlations and of every model's phase
// fugacity against central differences, the Dual values against the double
// ones, and the enthalpies built on them against closed forms.
#include "thermo/enthalpy.hpp"
#include "thermo/phase_fugacity.hpp"
#include "thermo/saturation.hpp"

#include "constants.hpp"
#include "eos_test_support.hpp"
#include "phase_models_support.hpp"
#include "numerics/dual.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// Every alpha kind at reduced temperatures on both sides of 1 and at 1 itself,
// where ExpAbsPower and SchmidtWenzel branch (the latter has a kink there: its
// slope is the one from below), and every computable saturation correlation.
TEST(TemperatureSlope, OfEveryAlphaAndSaturationCorrelation)
{
    Component c = database("benzene");
    for (const auto& params : {std::array<double, 4>{0.6, 0.3, 2.0, 0.05}, std::array<double, 4>{0.6, 0.3, 1.0, 0.0}}) {
        c.eos_params = params;
        for (Eos eos : all_eos) {
            for (double tr : {0.45, 0.8, 1.0, 1.3}) {
                SCOPED_TRACE(std::string(name(eos)) + " Tr=" + std::to_string(tr) + " p3=" + std::to_string(params[2]));
                const Dual a = alpha(eos, Dual{tr, 1.0}, c);
                EXPECT_TRUE(same_bits(a.value, alpha(eos, tr, c)));
                if (std::isnan(a.value)) continue;  // a vapour-pressure alpha beyond its range
                // At the branches the differences carry O(h) errors: a jump of the
                // curvature (ExpAbsPower) or of the slope (SchmidtWenzel, one-sided).
                const double h = 1e-6;
                const bool branch = tr == 1.0;
                const double numeric = eos == Eos::SchmidtWenzel && branch
                                           ? (alpha(eos, tr, c) - alpha(eos, tr - h, c)) / h
                                           : (alpha(eos, tr + h, c) - alpha(eos, tr - h, c)) / (2.0 * h);
                EXPECT_NEAR(a.dt, numeric, (branch ? 1e-5 : 1e-7) * (1.0 + std::abs(numeric)));
            }
        }
    }
    Component polynomial = database("carbon dioxide");
    polynomial.psat_coeffs = {50.0, -3000.0, -5.0, 1e-6, 2.0};
    for (SaturationModel model : {SaturationModel::Antoine, SaturationModel::Riedel, SaturationModel::Muller,
                                  SaturationModel::RPM, SaturationModel::Polynomial}) {
        const Component& used = model == SaturationModel::Polynomial ? polynomial : c;
        for (double t : {280.0, 400.0, 600.0}) {
            SCOPED_TRACE(std::string(name(model)) + " T=" + std::to_string(t));
            const auto exact = saturation_pressure(model, used, Dual{t, 1.0});
            ASSERT_TRUE(exact.has_value());
            const double h = 1e-4;
            const double up = *saturation_pressure(model, used, t + h), down = *saturation_pressure(model, used, t - h);
            EXPECT_TRUE(same_bits(exact->value, *saturation_pressure(model, used, t)));
            EXPECT_NEAR(exact->dt / exact->value, std::log(up / down) / (2.0 * h), 1e-8);
        }
    }
}

TEST(TemperatureSlope, OfEveryModelsPhaseFugacity)
{
    const Binary b = methanol_water();
    for (const auto& [label, spec] : every_model(b)) {
        for (const auto& [t, p, w] : {std::tuple{340.0, 101.325, std::vector<double>{0.3, 0.7}},
                                      std::tuple{450.0, 1500.0, std::vector<double>{0.8, 0.2}}}) {
            for (Phase phase : {Phase::Liquid, Phase::Vapor}) {
                SCOPED_TRACE(label + " " + name(phase) + " T=" + std::to_string(t));
                std::vector<double> value(2), slope(2), plain(2), up(2), down(2);
                ASSERT_TRUE(phase_fugacity(spec, t, p, w, phase, value, slope).has_value());
                ASSERT_TRUE(phase_fugacity(spec, t, p, w, phase, plain).has_value());
                const double h = 1e-3;
                ASSERT_TRUE(phase_fugacity(spec, t + h, p, w, phase, up).has_value());
                ASSERT_TRUE(phase_fugacity(spec, t - h, p, w, phase, down).has_value());
                for (std::size_t i = 0; i < 2; ++i) {
                    EXPECT_TRUE(same_bits(value[i], plain[i]));
                    const double numeric = (up[i] - down[i]) / (2.0 * h);
                    EXPECT_NEAR(slope[i], numeric, 1e-7 * (1.0 + std::abs(numeric))) << i;
                }
            }
        }
    }
}

// Peng-Robinson with classical mixing: h - sum x_i h_ig,i is the textbook
// residual enthalpy RT(Z - 1) + (T da/dT - a)/(2 sqrt2 b) ln[(Z + (1 + sqrt2)B)/(Z + (1 - sqrt2)B)],
// with a(T) and its slope from alpha = [1 + m(1 - sqrt Tr)]^2 written out here.
TEST(Enthalpy, PengRobinsonIsIdealGasPlusTheAnalyticDeparture)
{
    const double r = constants::gas_constant;
    const double root2 = std::sqrt(2.0);
    const Binary binary = methanol_water();
    for (const auto& kij : std::vector<std::vector<std::vector<double>>>{{}, {{0.0, -0.07}, {-0.07, 0.0}}}) {
        for (const State& s : binary.states) {
            SCOPED_TRACE(std::string(s.label) + (kij.empty() ? "" : " kij"));
            const SystemSpec spec{.liquid = liquid::PhiPhi{Eos::PR1976}, .components = binary.components,
                                  .kij = kij, .vapor = VaporModel::equation_of_state(Eos::PR1976)};
            // a_i/R^2 [K^2/kPa] and b_i/R [K/kPa], and d(a_i/R^2)/dT.
            std::vector<double> a(2), da(2), b(2);
            for (int i = 0; i < 2; ++i) {
                const Component& c = binary.components[i];
                const double m = 0.37464 + 1.54226 * c.omega - 0.26992 * c.omega * c.omega;
                const double sq = std::sqrt(s.temperature / c.tc);
                const double scale = 0.457235528921382 * c.tc * c.tc / c.pc;
                a[i] = scale * (1.0 + m * (1.0 - sq)) * (1.0 + m * (1.0 - sq));
                da[i] = -scale * m * (1.0 + m * (1.0 - sq)) / (c.tc * sq);
                b[i] = 0.0777960739038885 * c.tc / c.pc;
            }
            double am = 0.0, dam = 0.0, bm = 0.0;
            for (int i = 0; i < 2; ++i) {
                bm += s.x[i] * b[i];
                for (int j = 0; j < 2; ++j) {
                    const double weight = s.x[i] * s.x[j] * (1.0 - (kij.empty() ? 0.0 : kij[i][j]));
                    am += weight * std::sqrt(a[i] * a[j]);
                    dam += weight * (da[i] * a[j] + a[i] * da[j]) / (2.0 * std::sqrt(a[i] * a[j]));
                }
            }
            const double big_a = am * s.pressure / (s.temperature * s.temperature);
            const double big_b = bm * s.pressure / s.temperature;
            const double z = phase_root(big_a, big_b, 2.0 * big_b, -big_b * big_b, s.phase);
            const double departure =
                r * s.temperature * (z - 1.0) +
                r * (s.temperature * dam - am) / (2.0 * root2 * bm) *
                    std::log((z + (1.0 + root2) * big_b) / (z + (1.0 - root2) * big_b));
            double ideal = 0.0;
            for (int i = 0; i < 2; ++i) ideal += s.x[i] * ideal_gas_enthalpy(binary.components[i], s.temperature);
            const auto h = phase_enthalpy(spec, s.temperature, s.pressure, s.x, s.phase);
            ASSERT_TRUE(h.has_value()) << h.error().text();
            EXPECT_NEAR(*h, ideal + departure, 1e-9 * std::abs(departure) + 1e-9);
        }
    }
}

// An ideal solution under an ideal gas at the pure component's saturation:
// the latent heat is Clausius-Clapeyron's R T^2 d ln Psat/dT, which for the
// reduced Antoine form is R T^2 a2/(a3 + T)^2, and the vapour is the ideal gas.
TEST(Enthalpy, RaoultLatentHeatIsClausiusClapeyron)
{
    for (const char* compound : {"benzene", "water", "n-octane"}) {
        const std::vector<Component> one{database(compound)};
        const SystemSpec spec{.liquid = liquid::IdealSolution{}, .components = one, .vapor = VaporModel::ideal_gas()};
        const auto& a = one[0].psat_coeffs;
        for (double t : {300.0, one[0].tb}) {
            const std::vector<double> pure{1.0};
            const auto liquid = phase_enthalpy(spec, t, 101.325, pure, Phase::Liquid);
            const auto vapour = phase_enthalpy(spec, t, 101.325, pure, Phase::Vapor);
            ASSERT_TRUE(liquid && vapour);
            const double latent = constants::gas_constant * t * t * a[1] / ((a[2] + t) * (a[2] + t));
            EXPECT_NEAR(*vapour - *liquid, latent, 1e-9 * latent) << compound;
            EXPECT_NEAR(*vapour, ideal_gas_enthalpy(one[0], t), 1e-9) << compound;
        }
    }
}

}  // namespace
}  // namespace kolvar::thermo
