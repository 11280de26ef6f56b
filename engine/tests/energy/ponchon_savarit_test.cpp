// The enthalpy-balanced design against what it must reduce to and what it
// must respect: McCabe-Thiele at constant molar overflow, the condenser and
// reboiler duties of equal, constant latent heats, the minimum reflux as the
// threshold of the stepping, and bounds that no tie line of the diagram beats.
#include "engine/binary/curve_from_thermo.hpp"
#include "engine/binary/mccabe_thiele.hpp"
#include "engine/energy/column_balance.hpp"
#include "engine/energy/ponchon_savarit.hpp"
#include "engine/energy/restore.hpp"

#include "energy/tie_lines.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

using namespace kolvar::engine;
namespace thermo = kolvar::thermo;

namespace {

constexpr double gas_constant = 8.31451;  // J/(mol K), the library's
constexpr double a2 = 3500.0;             // K: a latent heat of R a2 = 29.1 kJ/mol
constexpr double pressure = 101.325;

// Two made-up compounds with reduced Antoine a3 = 0 (so that
// d ln Psat/dT = a2/T^2 and a Raoult liquid lies R a2 below its ideal gas),
// equal a2 and a1 apart by ln 2.5 (a constant relative volatility), and no
// heat capacity: both saturated lines are flat, R a2 apart.
ThermoSystem constant_overflow()
{
    const auto compound = [](const char* name, double a1) {
        return ComponentSource{thermo::ComponentConstants{
            {"name", std::string(name)}, {"tc", 560.0}, {"pc", 4900.0}, {"omega", 0.21}, {"zc", 0.27},
            {"vc", 256.0}, {"tb", 360.0}, {"mw", 80.0}, {"psat_coeffs", std::vector<double>{a1, a2, 0.0}},
            {"cp_coeffs", std::vector<double>(5, 0.0)}}};
    };
    const std::vector<ComponentSource> pair{compound("light", 5.0 + std::log(2.5)), compound("heavy", 5.0)};
    return ThermoSystem::ideal_solution(pair, thermo::VaporModel::ideal_gas(), std::nullopt).value();
}

class ConstantOverflow : public ::testing::TestWithParam<std::tuple<double, CondenserKind>> {};

TEST_P(ConstantOverflow, IsMcCabeThiele)
{
    const auto [q, condenser] = GetParam();
    const double reflux = 2.2;
    const ThermoSystem system = constant_overflow();
    const BinaryColumn column{pressure, Feed{100.0, 0.45, q}, 0.95, 0.04, condenser};
    const PonchonSavaritResult design = ponchon_savarit(system, column, reflux).value();
    const EquilibriumCurve curve = curve_from_thermo(system, pressure).value();
    const McCabeThieleResult staircase =
        mccabe_thiele(curve, {0.95, 0.04, 0.45, q, reflux, 1.0, condenser}).value();

    EXPECT_NEAR(design.n_stages, staircase.n_stages, 1e-12);
    EXPECT_NEAR(design.r_min, staircase.rmin.r_min, 1e-12);
    EXPECT_EQ(design.feed_stage, staircase.feed_stage);
    ASSERT_EQ(design.stages.size(), staircase.stages.size());
    const double d = design.distillate_rate;
    const double b = design.bottoms_rate;
    for (std::size_t k = 0; k < design.stages.size(); ++k) {
        const PonchonSavaritStage& stage = design.stages[k];
        EXPECT_NEAR(stage.x, staircase.stages[k].x, 1e-14);
        EXPECT_NEAR(stage.y, staircase.stages[k].y, 1e-14);
        // Constant molar overflow: R D above the feed, R D + q F from it down.
        const bool above = stage.index < design.feed_stage;
        const double liquid = k + 1 == design.stages.size() ? b : above ? reflux * d : reflux * d + q * 100.0;
        const double vapour = stage.index == 1 && condenser == CondenserKind::Partial ? d
                              : stage.index <= design.feed_stage ? (reflux + 1.0) * d
                                                                 : (reflux + 1.0) * d - (1.0 - q) * 100.0;
        EXPECT_NEAR(stage.liquid_flow, liquid, 1e-10 * liquid) << stage.index;
        EXPECT_NEAR(stage.vapour_flow, vapour, 1e-10 * vapour) << stage.index;
    }

    // A total condenser condenses (R + 1) D of vapour, a partial one the
    // reflux R D; the reboiler boils up V' = (R + 1) D - (1 - q) F.
    const double latent = gas_constant * a2;
    const double condensed = condenser == CondenserKind::Total ? (reflux + 1.0) * d : reflux * d;
    const double boilup = (reflux + 1.0) * d - (1.0 - q) * 100.0;
    EXPECT_NEAR(design.condenser_duty, condensed * latent / kilojoules_per_hour_per_kilowatt, 1e-12 * design.condenser_duty);
    EXPECT_NEAR(design.reboiler_duty, boilup * latent / kilojoules_per_hour_per_kilowatt, 1e-9 * design.reboiler_duty);
    const ColumnEnergy energy = column_energy(system, column, reflux).value();
    EXPECT_EQ(energy.condenser_duty, design.condenser_duty);
    EXPECT_EQ(energy.reboiler_duty, design.reboiler_duty);
    EXPECT_NEAR(energy.boilup, boilup, 1e-12 * boilup);
    EXPECT_TRUE(restore_ponchon_savarit(design).has_value());
}

INSTANTIATE_TEST_SUITE_P(Feeds, ConstantOverflow,
                         ::testing::Combine(::testing::Values(1.0, 0.5),
                                            ::testing::Values(CondenserKind::Total, CondenserKind::Partial)));

// R_min is the threshold of the stepping: refused at R_min, a design just
// above it (a feed pinch: many stages, but it reaches x_B).
TEST(PonchonSavarit, TheMinimumRefluxIsTheThresholdOfTheStepping)
{
    const ThermoSystem system = ThermoSystem::peng_robinson(std::vector<std::string>{"benzene", "toluene"}).value();
    for (const CondenserKind condenser : {CondenserKind::Total, CondenserKind::Partial}) {
        const BinaryColumn column{pressure, Feed{100.0, 0.44, 1.0}, 0.974, 0.0235, condenser};
        const double r_min = ponchon_savarit(system, column, 3.5).value().r_min;
        const auto at = ponchon_savarit(system, column, r_min);
        ASSERT_FALSE(at.has_value());
        EXPECT_EQ(at.error().kind, ErrorKind::NotConverged);
        EXPECT_TRUE(at.error().message.ends_with(": the staircase pinches before reaching x_B")) << at.error().message;
        const auto above = ponchon_savarit(system, column, r_min * (1.0 + 1e-6));
        ASSERT_TRUE(above.has_value()) << above.error().display();
        EXPECT_GT(above->n_stages, 50.0);
    }
}

// The bounds on the top difference point are exact on the piecewise-linear
// tie lines: on a diagram with uneven enthalpies, whose extremes lie between
// samples, no tie line of a fine sweep reaches higher above x_D (or lower
// below x_B) than the extreme found, and that extreme is reached.
TEST(TieLines, ExtremeExtensionsBeatEveryTieLine)
{
    const std::vector<double> liquid{-31499, -29464, -32812, -30757, -26477, -30442,
                                     -25341, -29328, -28387, -29560, -32579};
    const std::vector<double> vapour{3282, 4317, 994, 104, -651, 1576, 3294, 2798, 878, 160, 507};
    std::vector<double> x, y;
    for (int i = 0; i <= 10; ++i) {
        x.push_back(i / 10.0);
        y.push_back(3.0 * x.back() / (1.0 + 2.0 * x.back()));
    }
    const std::vector<double> t(x.size(), 350.0);
    const EnthalpyCurve sampled{EquilibriumCurve::from_samples(x, y, t, pressure).value(), liquid, vapour};
    const detail::TieLines lines(sampled);
    // The rectifying tie lines against x_D = 0.97, the stripping ones against x_B = 0.02.
    for (const auto& [from, to, X, highest] : {std::tuple{4.0, 9.5, 0.97, true}, std::tuple{0.5, 4.0, 0.02, false}}) {
        const auto found = detail::extreme_extension(lines, from, to, X, highest);
        ASSERT_TRUE(found.has_value());
        EXPECT_GT(std::abs(found->u - std::round(found->u)), 0.2) << "the extreme lies between samples";
        double best = highest ? -INFINITY : INFINITY;
        for (int k = 0; k <= 100000; ++k) {
            const detail::TieLine line = lines.at(from + (to - from) * k / 100000.0);
            const double height = line.h + (line.H - line.h) * (X - line.x) / (line.y - line.x);
            best = highest ? std::max(best, height) : std::min(best, height);
        }
        EXPECT_TRUE(highest ? found->height >= best : found->height <= best) << found->height << " " << best;
        EXPECT_NEAR(found->height, best, 1e-6 * std::abs(best));
    }
}

}  // namespace
