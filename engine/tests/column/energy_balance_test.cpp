// The one energy balance closes over every column that uses it: the feed's
// enthalpy and the reboiler's heat equal the products' enthalpies and the
// condenser's heat, the enthalpies taken afresh from the saturated states.
#include "engine/energy/column_balance.hpp"
#include "engine/energy/ponchon_savarit.hpp"
#include "engine/energy/saturated_enthalpy.hpp"
#include "engine/multicomponent/shortcut.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace kolvar::engine;

namespace {

struct Balance {
    double feed, h_feed, distillate, h_distillate, bottoms, h_bottoms, condenser_duty, reboiler_duty;
};

void expect_closed(const Balance& b)
{
    const double in = b.feed * b.h_feed + kilojoules_per_hour_per_kilowatt * b.reboiler_duty;
    const double out = b.distillate * b.h_distillate + b.bottoms * b.h_bottoms +
                       kilojoules_per_hour_per_kilowatt * b.condenser_duty;
    EXPECT_NEAR(in, out, 1e-12 * kilojoules_per_hour_per_kilowatt * (std::abs(b.condenser_duty) + std::abs(b.reboiler_duty)));
}

// h_D of a binary distillate x_D: saturated liquid, or vapour off a partial condenser.
double distillate_enthalpy(const ThermoSystem& system, double p, double x, CondenserKind condenser)
{
    const std::vector<double> composition{x, 1.0 - x};
    return condenser == CondenserKind::Total ? bubble_enthalpy(system, p, composition).value().enthalpy
                                             : dew_enthalpy(system, p, composition).value().enthalpy;
}

Balance binary_balance(const ThermoSystem& system, const BinaryColumn& column, double d, double b, double q_c,
                       double q_r)
{
    const double p = column.pressure;
    return {column.feed.rate,
            feed_enthalpy(system, p, std::vector<double>{column.feed.z, 1.0 - column.feed.z}, column.feed.q).value(),
            d,
            distillate_enthalpy(system, p, column.x_distillate, column.condenser),
            b,
            bubble_enthalpy(system, p, std::vector<double>{column.x_bottoms, 1.0 - column.x_bottoms}).value().enthalpy,
            q_c,
            q_r};
}

class BinaryUsers : public ::testing::TestWithParam<CondenserKind> {};

TEST_P(BinaryUsers, ConstantOverflowAndEnthalpyBalancedDesignsClose)
{
    const std::vector<std::string> names{"benzene", "toluene"};
    const ThermoSystem system = ThermoSystem::peng_robinson(names).value();
    const BinaryColumn column{101.325, Feed{100.0, 0.44, 0.7}, 0.97, 0.03, GetParam()};
    const ColumnEnergy energy = column_energy(system, column, 2.5).value();
    expect_closed(binary_balance(system, column, energy.distillate_rate, energy.bottoms_rate, energy.condenser_duty,
                                 energy.reboiler_duty));
    const PonchonSavaritResult design = ponchon_savarit(system, column, 2.5).value();
    expect_closed(binary_balance(system, column, design.distillate_rate, design.bottoms_rate, design.condenser_duty,
                                 design.reboiler_duty));
    // Ponchon-Savarit's own minimum reflux is the one its design reports.
    EXPECT_EQ(ponchon_savarit_min_reflux(system, column).value(), design.r_min);
}

INSTANTIATE_TEST_SUITE_P(Condensers, BinaryUsers, ::testing::Values(CondenserKind::Total, CondenserKind::Partial));

TEST(ShortcutUser, FourAlkanesClose)
{
    const std::vector<std::string> names{"propane", "n-butane", "n-pentane", "n-hexane"};
    const ThermoSystem system = ThermoSystem::peng_robinson(names).value();
    const ShortcutSpec spec{.pressure = 800.0,
                            .feed_rate = 100.0,
                            .z = {0.15, 0.35, 0.30, 0.20},
                            .light_key = std::int64_t{1},
                            .heavy_key = std::int64_t{2},
                            .light_recovery = 0.98,
                            .heavy_recovery = 0.97,
                            .reflux = 1.5,
                            .reflux_factor = std::nullopt,
                            .q = 0.6};
    const ShortcutResult design = shortcut(system, spec).value();
    expect_closed({spec.feed_rate, feed_enthalpy(system, spec.pressure, spec.z, spec.q).value(),
                   design.distillate_rate, bubble_enthalpy(system, spec.pressure, design.distillate).value().enthalpy,
                   design.bottoms_rate, bubble_enthalpy(system, spec.pressure, design.bottoms).value().enthalpy,
                   design.condenser_duty, design.reboiler_duty});
}

}  // namespace
