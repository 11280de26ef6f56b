// Dew points, the isothermal flash and liquid stability, by the identities
// that tie them to the bubble points and to each other.
#include "thermo/activity.hpp"
#include "thermo/dew_point.hpp"
#include "thermo/isothermal_flash.hpp"
#include "thermo/phase_properties.hpp"
#include "thermo/stability.hpp"

#include "flash_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

using Rows = std::vector<std::vector<double>>;

// A system description with everything it borrows; built in place.
struct Owned {
    Owned() = default;
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    std::vector<Component> components;
    Rows parameters;
    std::vector<double> volumes;
    SystemSpec spec;
};

struct Case {
    const char* label;
    std::vector<std::string> names;
    std::function<SystemSpec(Owned&)> describe;
    double pressure;                   // kPa
    std::vector<double> light;         // light-component fractions to test, the rest split evenly
};

void build(const Case& c, Owned& owned)
{
    owned.components = mixture(c.names);
    owned.spec = c.describe(owned);
    owned.spec.components = owned.components;
}

std::vector<double> composition(double light, std::size_t n)
{
    std::vector<double> z(n, (1.0 - light) / static_cast<double>(n - 1));
    z[0] = light;
    return z;
}

SystemSpec phi_phi(Eos eos) { return {.liquid = liquid::PhiPhi{eos}, .vapor = VaporModel::equation_of_state(eos)}; }

std::vector<Case> cases()
{
    return {
        {"PRBenzeneToluene", {"benzene", "toluene"}, [](Owned&) { return phi_phi(Eos::PR1976); }, 101.325,
         {0.02, 0.3, 0.7, 0.98}},
        // Outside the liquid split of x = 0.09 to 0.47.
        {"PRMethanolWater", {"methanol", "water"}, [](Owned&) { return phi_phi(Eos::PR1976); }, 101.325,
         {0.02, 0.7, 0.9}},
        {"PRTernary", {"propane", "n-butane", "n-pentane"}, [](Owned&) { return phi_phi(Eos::PR1976); }, 1000.0,
         {0.1, 0.5, 0.9}},
        {"RKSWithMHV2Wilson", {"methanol", "water"},
         [](Owned& o) {
             o.parameters = {{0.0, 100.0}, {400.0, 0.0}};
             o.volumes = {40.7, 18.07};
             SystemSpec s = phi_phi(Eos::RKS1972);
             s.mixing_rule = MixingRule::MHV2;
             s.ge = GeSpec{ActivityModel::Wilson};
             s.activity = {.parameters = o.parameters, .molar_volumes = o.volumes};
             return s;
         },
         101.325, {0.1, 0.5, 0.9}},
        {"WilsonVirialPoynting", {"methanol", "water"},
         [](Owned& o) {
             o.parameters = {{0.0, 100.0}, {400.0, 0.0}};
             o.volumes = {40.7, 18.07};
             return SystemSpec{.liquid = liquid::GammaPhi{ActivityModel::Wilson},
                               .activity = {.parameters = o.parameters, .molar_volumes = o.volumes},
                               .vapor = VaporModel::virial(),
                               .poynting = true};
         },
         101.325, {0.1, 0.5, 0.9}},
        {"GraysonStreedRK", {"propane", "n-butane"},
         [](Owned&) {
             return SystemSpec{.liquid = liquid::GraysonStreed{}, .vapor = VaporModel::equation_of_state(Eos::RK1949)};
         },
         1000.0, {0.1, 0.5, 0.9}},
    };
}

class PhaseSplit : public ::testing::TestWithParam<Case> {};

// The dew point of a bubble point's vapour is that bubble point: its
// temperature (or pressure) and, as the incipient liquid, the original x.
TEST_P(PhaseSplit, DewPointOfABubblePointsVapourReturnsItsLiquid)
{
    Owned system;
    build(GetParam(), system);
    const double p = GetParam().pressure;
    for (double light : GetParam().light) {
        const std::vector<double> x = composition(light, system.components.size());
        SCOPED_TRACE(light);
        const IncipientPoint bubble = value_or_fail(bubble_temperature(system.spec, p, x, 1e-9, 200));
        const IncipientPoint dew = value_or_fail(dew_temperature(system.spec, p, bubble.y, 1e-9, 200));
        EXPECT_NEAR(dew.value / bubble.value, 1.0, 1e-8);
        for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(dew.y[i], x[i], 1e-8) << i;

        const IncipientPoint dew_p = value_or_fail(dew_pressure(system.spec, bubble.value, bubble.y, 1e-9, 200));
        EXPECT_NEAR(dew_p.value / p, 1.0, 1e-8);
        for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(dew_p.y[i], x[i], 1e-8) << i;
    }
}

// A feed flashed at its bubble temperature is all liquid, at its dew
// temperature all vapour; in between it splits and the balance closes.
// Beyond either end the single phase is exact: beta 0 or 1 with x or y = z.
TEST_P(PhaseSplit, FlashBetweenTheBubbleAndDewTemperatures)
{
    Owned system;
    build(GetParam(), system);
    const double p = GetParam().pressure;
    for (double light : GetParam().light) {
        const std::vector<double> z = composition(light, system.components.size());
        SCOPED_TRACE(light);
        const double t_bubble = value_or_fail(bubble_temperature(system.spec, p, z, 1e-9, 200)).value;
        const double t_dew = value_or_fail(dew_temperature(system.spec, p, z, 1e-9, 200)).value;
        ASSERT_GT(t_dew, t_bubble);

        EXPECT_NEAR(value_or_fail(isothermal_flash(system.spec, t_bubble, p, z)).vapour_fraction, 0.0, 1e-6);
        EXPECT_NEAR(value_or_fail(isothermal_flash(system.spec, t_dew, p, z)).vapour_fraction, 1.0, 1e-6);

        const FlashResult below = value_or_fail(isothermal_flash(system.spec, t_bubble - 1.0, p, z));
        EXPECT_EQ(below.vapour_fraction, 0.0);
        EXPECT_EQ(below.x, z);
        const FlashResult above = value_or_fail(isothermal_flash(system.spec, t_dew + 1.0, p, z));
        EXPECT_EQ(above.vapour_fraction, 1.0);
        EXPECT_EQ(above.y, z);

        for (double share : {0.25, 0.5, 0.75}) {
            const double t = t_bubble + share * (t_dew - t_bubble);
            const FlashResult split = value_or_fail(isothermal_flash(system.spec, t, p, z));
            EXPECT_GT(split.vapour_fraction, 0.0);
            EXPECT_LT(split.vapour_fraction, 1.0);
            const double beta = split.vapour_fraction;
            for (std::size_t i = 0; i < z.size(); ++i)
                EXPECT_NEAR((1.0 - beta) * split.x[i] + beta * split.y[i], z[i], 1e-12) << i;
            EXPECT_NEAR(std::accumulate(split.x.begin(), split.x.end(), 0.0), 1.0, 1e-12);
            EXPECT_NEAR(std::accumulate(split.y.begin(), split.y.end(), 0.0), 1.0, 1e-12);
            // The liquid's bubble point at this pressure is the flash temperature.
            EXPECT_NEAR(value_or_fail(bubble_temperature(system.spec, p, split.x, 1e-9, 200)).value, t, 1e-6);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Systems, PhaseSplit, ::testing::ValuesIn(cases()),
                         [](const auto& instance) { return std::string(instance.param.label); });

// For phi-phi the split's phases have equal fugacities: ln(y_i/x_i) is
// ln phi_i of the liquid x minus ln phi_i of the vapour y.
TEST(IsothermalFlash, PhasesOfAPhiPhiSplitHaveEqualFugacities)
{
    const auto components = mixture({"propane", "n-butane", "n-pentane"});
    const SystemSpec spec = peng_robinson(components);
    const std::vector<double> z{0.3, 0.3, 0.4};
    const double t = 0.5 * (value_or_fail(bubble_temperature(spec, 1000.0, z, 1e-9, 200)).value +
                            value_or_fail(dew_temperature(spec, 1000.0, z, 1e-9, 200)).value);
    const FlashResult split = value_or_fail(isothermal_flash(spec, t, 1000.0, z));
    ASSERT_GT(split.vapour_fraction, 0.0);
    ASSERT_LT(split.vapour_fraction, 1.0);
    const auto liquid = value_or_fail(phase_ln_phi(spec, t, 1000.0, split.x, Phase::Liquid));
    const auto vapour = value_or_fail(phase_ln_phi(spec, t, 1000.0, split.y, Phase::Vapor));
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(std::log(split.y[i] / split.x[i]), liquid[i] - vapour[i], 1e-9);
}

double stability_of(const SystemSpec& spec, double t, double p, const std::vector<double>& x)
{
    return value_or_fail(liquid_stability(spec, t, p, x)).tpd;
}

// Peng-Robinson with kij = 0 splits methanol/water between x = 0.09 and
// 0.47 along the bubble curve at one atmosphere; outside the split the
// liquid is stable.
TEST(LiquidStability, PengRobinsonMethanolWaterSplitsInsideItsGap)
{
    const auto components = mixture({"methanol", "water"});
    const SystemSpec spec = peng_robinson(components);
    for (double light : {0.15, 0.25, 0.35, 0.45}) {
        const std::vector<double> x{light, 1.0 - light};
        const double t = value_or_fail(bubble_temperature(spec, 101.325, x, 1e-9, 200)).value;
        const StabilityResult r = value_or_fail(liquid_stability(spec, t, 101.325, x));
        EXPECT_LT(r.tpd, -1e-4) << light;
        // The trial lies beyond the gap on one side or the other.
        EXPECT_TRUE(r.trial[0] < 0.09 || r.trial[0] > 0.47) << light << " " << r.trial[0];
    }
    for (double light : {0.03, 0.6, 0.8}) {
        const std::vector<double> x{light, 1.0 - light};
        const double t = value_or_fail(bubble_temperature(spec, 101.325, x, 1e-9, 200)).value;
        EXPECT_EQ(stability_of(spec, t, 101.325, x), 0.0) << light;
    }
}

// At the trial of a negative distance, a stationary point of the distance,
// ln w_i + ln gamma_i(w) - ln x_i - ln gamma_i(x) is the same for every
// component and equals ln(1/(1 - tpd)). Symmetric Margules with A = 3 splits
// between its binodal points (about 0.07 and 0.93).
TEST(LiquidStability, TrialOfASplitIsAStationaryPoint)
{
    const auto components = mixture({"n-hexane", "methanol"});
    const Rows margules{{0.0, 3.0}, {3.0, 0.0}};
    const SystemSpec spec = gamma_phi(components, ActivityModel::Margules, margules, VaporModel::ideal_gas());
    const std::vector<double> x{0.4, 0.6};
    const StabilityResult r = value_or_fail(liquid_stability(spec, 320.0, 101.325, x));
    ASSERT_LT(r.tpd, -0.01);
    std::vector<double> ln_gamma_x(2), ln_gamma_w(2);
    ln_gamma(ActivityModel::Margules, 320.0, x, {margules, {}, {}}, ln_gamma_x);
    ln_gamma(ActivityModel::Margules, 320.0, r.trial, {margules, {}, {}}, ln_gamma_w);
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_NEAR(std::log(r.trial[i]) + ln_gamma_w[i] - std::log(x[i]) - ln_gamma_x[i], -std::log(1.0 - r.tpd),
                    1e-8);
    EXPECT_EQ(stability_of(spec, 320.0, 101.325, {0.03, 0.97}), 0.0);
}

// Liquids that cannot split: the ideal solution and Grayson-Streed have no
// composition dependence at all, and Wilson's equation cannot describe two
// liquids whatever its parameters.
TEST(LiquidStability, LiquidsThatCannotSplitAreStable)
{
    const auto components = mixture({"methanol", "water", "ethanol"});
    const Rows wilson{{0.0, 2000.0, -500.0}, {3000.0, 0.0, 1500.0}, {800.0, -300.0, 0.0}};
    const std::vector<double> volumes{40.7, 18.07, 58.68};
    SystemSpec with_wilson = gamma_phi(components, ActivityModel::Wilson, wilson, VaporModel::ideal_gas());
    with_wilson.activity.molar_volumes = volumes;
    const SystemSpec specs[] = {described(components, liquid::IdealSolution{}, VaporModel::ideal_gas()),
                                described(components, liquid::GraysonStreed{}, VaporModel::ideal_gas()),
                                with_wilson};
    for (const SystemSpec& spec : specs) {
        for (const std::vector<double>& x : {std::vector<double>{0.2, 0.5, 0.3}, std::vector<double>{0.8, 0.1, 0.1},
                                             std::vector<double>{2.0, 6.0, 2.0}}) {
            const StabilityResult r = value_or_fail(liquid_stability(spec, 340.0, 101.325, x));
            EXPECT_GE(r.tpd, 0.0);
            const double total = x[0] + x[1] + x[2];
            for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(r.trial[i], x[i] / total, 1e-6);
        }
    }
}

TEST(PhaseSplit, Failures)
{
    const auto hexane = mixture({"methane", "n-hexane"});
    const SystemSpec pr = peng_robinson(hexane);
    const std::vector<double> half{0.5, 0.5};
    // Near the critical region the dew iteration lands on K = 1: no dew point.
    const std::string trivial = error_text(dew_pressure(pr, 480.0, half, 1e-9, 200));
    EXPECT_TRUE(trivial.starts_with("thermodynamic evaluation failed: trivial solution at P = ")) << trivial;
    EXPECT_TRUE(trivial.ends_with(" kPa: liquid and vapour on the same root (K = 1)")) << trivial;
    EXPECT_EQ(error_text(equilibrium_ratios(pr, 480.0, 3000.0, half)),
              "thermodynamic evaluation failed: trivial solution at T = 480 K, P = 3000 kPa: liquid and vapour on "
              "the same root (K = 1)");
    // There the flash finds one phase, on the vapour side of the critical point.
    const FlashResult one = value_or_fail(isothermal_flash(pr, 480.0, 3000.0, half));
    EXPECT_EQ(one.vapour_fraction, 1.0);
    EXPECT_EQ(one.x, half);

    const auto pair = mixture({"acetone", "water"});
    const Rows broken{{0.0, nan_value}, {1.0, 0.0}};
    const SystemSpec nan_liquid = gamma_phi(pair, ActivityModel::VanLaar, broken, VaporModel::ideal_gas());
    const std::string non_finite = "thermodynamic evaluation failed: non-finite K-values at T = 350 K, P = ";
    EXPECT_TRUE(error_text(dew_pressure(nan_liquid, 350.0, half, 1e-9, 200)).starts_with(non_finite));
    EXPECT_TRUE(error_text(isothermal_flash(nan_liquid, 350.0, 101.325, half)).starts_with(non_finite));
    EXPECT_TRUE(error_text(equilibrium_ratios(nan_liquid, 350.0, 101.325, half)).starts_with(non_finite));
    EXPECT_EQ(error_text(liquid_stability(nan_liquid, 350.0, 101.325, half)),
              "thermodynamic evaluation failed: non-finite tangent-plane distance at T = 350 K, P = 101.325 kPa");

    const std::vector<double> three{0.2, 0.3, 0.5};
    EXPECT_EQ(error_text(dew_temperature(pr, 101.325, three, 1e-9, 200)), "dimension mismatch: components=2, x=2, y=3");
    EXPECT_EQ(error_text(isothermal_flash(pr, 300.0, 101.325, three)), "dimension mismatch: components=2, z=3");
    EXPECT_EQ(error_text(liquid_stability(pr, 300.0, 101.325, three)), "dimension mismatch: components=2, x=3");
    EXPECT_EQ(error_text(liquid_stability(pr, 300.0, 101.325, std::vector<double>{0.5, -0.1})),
              "dimension mismatch: composition must be finite and non-negative with a positive sum");
    EXPECT_EQ(error_text(phase_ln_phi(nan_liquid, 300.0, 101.325, half, Phase::Liquid)),
              "unsupported: the liquid is not described by an equation of state");
    EXPECT_EQ(error_text(phase_ln_phi(pr, 300.0, 101.325, three, Phase::Vapor)),
              "dimension mismatch: components=2, composition=3");
}

}  // namespace
}  // namespace kolvar::thermo
