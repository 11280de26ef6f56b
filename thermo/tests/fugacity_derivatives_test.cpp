// The gradient of ln(f_i / (x_i P)) in T, P and the amounts, for every model
// family: against central differences, symmetric in the amounts, and
// satisfying Gibbs-Duhem; the values those of the plain evaluation bit for bit.
#include "thermo/fugacity_derivatives.hpp"
#include "thermo/phase_fugacity.hpp"

#include "phase_models_support.hpp"
#include "thermo/group_contribution.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

struct Case {
    std::string label;
    SystemSpec spec;
    std::vector<double> x;  // mole fractions
    double temperature;
    double pressure;
};

// ln(f_i / (x_i P)) at (T, P) and the amounts n, normalised here as the
// entry point normalises them.
std::vector<double> plain(const Case& c, double t, double p, std::vector<double> n, Phase phase)
{
    double total = 0.0;
    for (double v : n) total += v;
    for (double& v : n) v /= total;
    std::vector<double> out(n.size());
    const auto ok = phase_fugacity(c.spec, t, p, n, phase, out);
    EXPECT_TRUE(ok.has_value()) << (ok ? "" : ok.error().text());
    return out;
}

// Every binary model at two states, and ternaries for the rules whose
// amount derivatives have more than one independent entry.
std::vector<Case> every_case()
{
    static const Binary binary = methanol_water();
    std::vector<Case> out;
    for (const auto& [label, spec] : every_model(binary)) {
        out.push_back({label, spec, {0.3, 0.7}, 340.0, 101.325});
        out.push_back({label, spec, {0.8, 0.2}, 450.0, 1500.0});
    }
    static const std::vector<Component> three{database("benzene"), database("toluene"), database("methanol")};
    static const std::vector<std::vector<double>> kij{{0.0, 0.01, 0.09}, {0.02, 0.0, 0.08}, {0.07, 0.1, 0.0}};
    static const std::vector<std::vector<double>> a{{0.0, 0.2, 1.1}, {-0.1, 0.0, 0.9}, {0.7, 0.5, 0.0}},
        b{{0.0, 40.0, 120.0}, {-30.0, 0.0, 150.0}, {210.0, 180.0, 0.0}},
        alpha{{0.0, 0.3, 0.35}, {0.3, 0.0, 0.4}, {0.35, 0.4, 0.0}};
    static const std::vector<double> r{3.19, 3.92, 1.43}, q{2.4, 2.97, 1.43}, volumes{89.4, 106.8, 40.7};
    static const std::vector<std::vector<double>> wilson{{0.0, 500.0, 3500.0}, {-300.0, 0.0, 3800.0},
                                                         {6000.0, 5800.0, 0.0}};
    const ActivityInputs nrtl{.parameters = a, .b = b, .alpha = alpha};
    const std::vector<double> x{0.5, 0.3, 0.2};
    auto eos_spec = [&](Eos eos, MixingRule rule) {
        return SystemSpec{.liquid = liquid::PhiPhi{eos}, .components = three, .kij = kij, .mixing_rule = rule,
                          .vapor = VaporModel::equation_of_state(eos)};
    };
    out.push_back({"ternary PR classical kij", eos_spec(Eos::PR1976, MixingRule::Classical), x, 360.0, 300.0});
    out.push_back({"ternary PR IIVDW", eos_spec(Eos::PR1976, MixingRule::IIVDW), x, 360.0, 300.0});
    out.push_back({"ternary PatelTeja", eos_spec(Eos::PatelTeja, MixingRule::Classical), x, 360.0, 300.0});
    out.push_back({"ternary SchmidtWenzel", eos_spec(Eos::SchmidtWenzel, MixingRule::Classical), x, 360.0, 300.0});
    for (MixingRule rule : {MixingRule::MHV2, MixingRule::WongSandler, MixingRule::HuronVidalOriginal}) {
        SystemSpec spec = eos_spec(Eos::PR1976, rule);
        spec.kij = {};
        spec.activity = nrtl;
        spec.ge = GeSpec{ActivityModel::NRTL};
        out.push_back({std::string("ternary PR NRTL ") + name(rule), spec, x, 360.0, 300.0});
    }
    out.push_back({"ternary NRTL virial",
                   {.liquid = liquid::GammaPhi{ActivityModel::NRTL}, .components = three, .activity = nrtl,
                    .vapor = VaporModel::virial(), .poynting = true},
                   x, 350.0, 150.0});
    out.push_back({"ternary UNIQUAC",
                   {.liquid = liquid::GammaPhi{ActivityModel::UNIQUAC}, .components = three,
                    .activity = {.parameters = a, .b = b, .r = r, .q = q}, .vapor = VaporModel::ideal_gas()},
                   x, 350.0, 150.0});
    // The group-contribution liquids, alone and inside a predictive cubic.
    static const std::array<GroupMixture, 2> prepared{*prepare_groups(GroupModel::Original, three),
                                                      *prepare_groups(GroupModel::Dortmund, three)};
    for (std::size_t m = 0; m < prepared.size(); ++m) {
        const ActivityModel model = m == 0 ? ActivityModel::UNIFAC : ActivityModel::UNIFACDortmund;
        const ActivityInputs unifac{.groups = &prepared[m]};
        out.push_back({std::string("ternary ") + name(model),
                       {.liquid = liquid::GammaPhi{model}, .components = three, .activity = unifac,
                        .vapor = VaporModel::ideal_gas()},
                       x, 350.0, 150.0});
        SystemSpec cubic = eos_spec(Eos::PR1976, MixingRule::MHV1);
        cubic.kij = {};
        cubic.activity = unifac;
        cubic.ge = GeSpec{model};
        out.push_back({std::string("ternary PR MHV1 ") + name(model), cubic, x, 360.0, 300.0});
    }
    // Ten components: twelve directions, more than one Gradient pass carries.
    static const std::vector<Component> ten = [] {
        std::vector<Component> c;
        for (const char* name : {"methane", "ethane", "propane", "n-butane", "n-pentane", "n-hexane", "n-heptane",
                                 "n-octane", "benzene", "toluene"})
            c.push_back(database(name));
        return c;
    }();
    out.push_back({"ten-component PR",
                   {.liquid = liquid::PhiPhi{Eos::PR1976}, .components = ten,
                    .vapor = VaporModel::equation_of_state(Eos::PR1976)},
                   {0.05, 0.05, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.15, 0.15}, 400.0, 2000.0});
    out.push_back({"ternary Wilson",
                   {.liquid = liquid::GammaPhi{ActivityModel::Wilson}, .components = three,
                    .activity = {.parameters = wilson, .molar_volumes = volumes},
                    .vapor = VaporModel::equation_of_state(Eos::PR1976)},
                   x, 350.0, 150.0});
    return out;
}

bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

class FugacityDerivativesOf : public ::testing::TestWithParam<Phase> {};

TEST_P(FugacityDerivativesOf, EveryModelMatchesDifferencesIsSymmetricAndObeysGibbsDuhem)
{
    const Phase phase = GetParam();
    for (const Case& c : every_case()) {
        SCOPED_TRACE(c.label + " " + name(phase) + " T=" + std::to_string(c.temperature));
        const std::size_t n = c.x.size();
        FugacityDerivatives d;
        const auto ok = fugacity_derivatives(c.spec, c.temperature, c.pressure, c.x, phase, d);
        ASSERT_TRUE(ok.has_value()) << ok.error().text();
        const std::vector<double> value = plain(c, c.temperature, c.pressure, c.x, phase);
        const double ht = 1e-3, hp = 1e-5 * c.pressure, hn = 1e-6;
        const auto up_t = plain(c, c.temperature + ht, c.pressure, c.x, phase);
        const auto down_t = plain(c, c.temperature - ht, c.pressure, c.x, phase);
        const auto up_p = plain(c, c.temperature, c.pressure + hp, c.x, phase);
        const auto down_p = plain(c, c.temperature, c.pressure - hp, c.x, phase);
        double scale = 1.0;  // the largest amount derivative, for the rounding of the sums
        for (double v : d.d_amounts) scale = std::fmax(scale, std::abs(v));
        for (std::size_t i = 0; i < n; ++i) {
            EXPECT_TRUE(same_bits(d.ln_phi[i], value[i])) << i;
            const double by_t = (up_t[i] - down_t[i]) / (2.0 * ht);
            const double by_p = (up_p[i] - down_p[i]) / (2.0 * hp);
            EXPECT_NEAR(d.d_temperature[i], by_t, 1e-7 * (1.0 + std::abs(by_t))) << i;
            EXPECT_NEAR(d.d_pressure[i], by_p, 1e-7 * (1.0 / c.pressure + std::abs(by_p))) << i;
        }
        for (std::size_t j = 0; j < n; ++j) {
            std::vector<double> up = c.x, down = c.x;
            up[j] += hn;
            down[j] -= hn;
            const auto up_n = plain(c, c.temperature, c.pressure, up, phase);
            const auto down_n = plain(c, c.temperature, c.pressure, down, phase);
            double gibbs_duhem = 0.0;
            for (std::size_t i = 0; i < n; ++i) {
                const double by_n = (up_n[i] - down_n[i]) / (2.0 * hn);
                EXPECT_NEAR(d.d_amounts[i * n + j], by_n, 1e-6 * (1.0 + std::abs(by_n))) << i << "," << j;
                EXPECT_NEAR(d.d_amounts[i * n + j], d.d_amounts[j * n + i], 1e-12 * scale) << i << "," << j;
                gibbs_duhem += c.x[i] * d.d_amounts[i * n + j];
            }
            EXPECT_NEAR(gibbs_duhem, 0.0, 1e-13 * scale) << j;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Phases, FugacityDerivativesOf, ::testing::Values(Phase::Liquid, Phase::Vapor),
                         [](const auto& instance) { return std::string(name(instance.param)); });

}  // namespace
}  // namespace kolvar::thermo
