// The enthalpy-balanced design against what it must reduce to and what it
// must respect: McCabe-Thiele at constant molar overflow, the condenser and
// reboiler duties of equal, constant latent heats, the minimum reflux as the
// threshold of the stepping, and bounds that no tie line of the diagram beats.
#include "engine/energy/column_balance.hpp"
#include "engine/energy/ponchon_savarit.hpp"
#include "engine/energy/restore.hpp"

#include "energy/tie_lines.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>
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

// McCabe-Thiele on the exact curve y = alpha x / (1 + (alpha - 1) x), in
// closed form: the stages (x, y) from y_1 = x_D, the fractional count and
// the feed stage, and the minimum reflux of the feed pinch.
struct ExactStaircase {
    std::vector<std::pair<double, double>> stages;
    double n_stages = 0.0;
    std::uint64_t feed_stage = 0;
    double r_min = 0.0;
};

ExactStaircase exact_mccabe_thiele(double alpha, const BinaryColumn& column, double reflux)
{
    const double x_d = column.x_distillate, x_b = column.x_bottoms, z = column.feed.z, q = column.feed.q;
    const double f = column.feed.rate;
    const double d = f * (z - x_b) / (x_d - x_b);
    const double l_strip = reflux * d + q * f, v_strip = (reflux + 1.0) * d - (1.0 - q) * f;
    // Where the q-line (q - 1) y = q x - z meets the rectifying line and the curve.
    const auto curve = [alpha](double x) { return alpha * x / (1.0 + (alpha - 1.0) * x); };
    const auto on_q_line = [&](auto line) {
        double lo = 0.0, hi = 1.0;
        const auto g = [&](double x) { return (q - 1.0) * line(x) - q * x + z; };
        for (int i = 0; i < 100; ++i) ((g(lo) < 0.0) == (g(0.5 * (lo + hi)) < 0.0) ? lo : hi) = 0.5 * (lo + hi);
        return 0.5 * (lo + hi);
    };
    const double x_meet = on_q_line([&](double x) { return (reflux * x + x_d) / (reflux + 1.0); });
    const double x_pinch = on_q_line(curve);
    ExactStaircase out;
    out.r_min = (x_d - curve(x_pinch)) / (curve(x_pinch) - x_pinch);
    double y = x_d, x_prev = x_d;
    bool stripping = false;
    for (std::uint64_t n = 1; n < 100; ++n) {
        const double x = y / (alpha - (alpha - 1.0) * y);
        out.stages.emplace_back(x, y);
        if (x <= x_b) {
            out.n_stages = static_cast<double>(n - 1) + (x_prev - x_b) / (x_prev - x);
            if (!stripping) out.feed_stage = n;
            break;
        }
        if (!stripping && x <= x_meet) {
            stripping = true;
            out.feed_stage = n;
        }
        y = stripping ? (l_strip * x - (f - d) * x_b) / v_strip : (reflux * x + x_d) / (reflux + 1.0);
        x_prev = x;
    }
    return out;
}

class ConstantOverflow : public ::testing::TestWithParam<std::tuple<double, CondenserKind>> {};

TEST_P(ConstantOverflow, IsMcCabeThiele)
{
    const auto [q, condenser] = GetParam();
    const double reflux = 2.2;
    const ThermoSystem system = constant_overflow();
    const BinaryColumn column{pressure, Feed{100.0, 0.45, q}, 0.95, 0.04, condenser};
    const PonchonSavaritResult design = ponchon_savarit(system, column, reflux).value();
    const ExactStaircase staircase = exact_mccabe_thiele(2.5, column, reflux);

    // Against the exact staircase: each stage settles to 1e-13, the
    // fractional last stage divides by its own drop.
    EXPECT_NEAR(design.n_stages, staircase.n_stages, 1e-11);
    EXPECT_NEAR(design.r_min, staircase.r_min, 1e-12);
    EXPECT_EQ(design.feed_stage, staircase.feed_stage);
    ASSERT_EQ(design.stages.size(), staircase.stages.size());
    for (std::size_t k = 0; k < design.stages.size(); ++k) {
        EXPECT_NEAR(design.stages[k].x, staircase.stages[k].first, 1e-12);
        EXPECT_NEAR(design.stages[k].y, staircase.stages[k].second, 1e-12);
    }
    const double d = design.distillate_rate;
    const double b = design.bottoms_rate;
    for (std::size_t k = 0; k < design.stages.size(); ++k) {
        const PonchonSavaritStage& stage = design.stages[k];
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

// The design lies on the system's own tie lines, at any feed condition: the
// dew point of every stage's vapour is its liquid and temperature, and the
// controlling tie line of a feed pinch, extended, passes through the feed
// point to the top difference point of R_min.
TEST(PonchonSavarit, StagesAndMinimumRefluxLieOnTheSystemsTieLines)
{
    const ThermoSystem system = ThermoSystem::peng_robinson(std::vector<std::string>{"benzene", "toluene"}).value();
    for (const double q : {1.0, 0.5}) {
        const BinaryColumn column{pressure, Feed{100.0, 0.44, q}, 0.974, 0.0235, CondenserKind::Total};
        const PonchonSavaritResult design = ponchon_savarit(system, column, 3.5).value();
        for (const PonchonSavaritStage& stage : design.stages) {
            const auto dew = system.dew_temperature(pressure, std::vector{stage.y, 1.0 - stage.y}).value();
            EXPECT_NEAR(stage.x, dew.y[0], 1e-9) << stage.index;
            EXPECT_NEAR(stage.t, dew.value, 1e-9 * dew.value) << stage.index;
        }
        const auto h = [&](double x, thermo::Phase phase) {
            const auto point = phase == thermo::Phase::Liquid ? system.bubble_temperature(pressure, std::vector{x, 1.0 - x})
                                                                : system.dew_temperature(pressure, std::vector{x, 1.0 - x});
            return system.enthalpy(point->value, pressure, std::vector{x, 1.0 - x}, phase).value();
        };
        const double h_d = h(0.974, thermo::Phase::Liquid);
        const double top = (design.r_min + 1.0) * (h(0.974, thermo::Phase::Vapor) - h_d) + h_d;
        const auto pinch = system.bubble_temperature(pressure, std::vector{design.pinch.x, 1.0 - design.pinch.x}).value();
        EXPECT_NEAR(design.pinch.y, pinch.y[0], 1e-12);
        const double h_l = system.enthalpy(pinch.value, pressure, std::vector{design.pinch.x, 1.0 - design.pinch.x},
                                           thermo::Phase::Liquid).value();
        const double h_v = system.enthalpy(pinch.value, pressure, pinch.y, thermo::Phase::Vapor).value();
        const auto height_at = [&](double x) {
            return h_l + (h_v - h_l) * (x - design.pinch.x) / (design.pinch.y - design.pinch.x);
        };
        EXPECT_NEAR(height_at(0.974), top, 1e-9 * std::abs(top)) << q;
        const double h_f = q * h(0.44, thermo::Phase::Liquid) + (1.0 - q) * h(0.44, thermo::Phase::Vapor);
        EXPECT_NEAR(height_at(0.44), h_f, 1e-9 * std::abs(h_f)) << q;
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
