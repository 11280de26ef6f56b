// A rated column satisfies its own equations, checked afresh through the
// system's public questions: every stage's component balances, equal
// fugacities, summations and enthalpy balance, the condenser's bubble point
// and the balances over the whole column; and bad columns and
// specification pairs are refused before any solving.
#include "engine/column/mesh.hpp"
#include "engine/energy/saturated_enthalpy.hpp"
#include "engine/thermo/fugacity_derivatives.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace kolvar::engine;
namespace thermo = kolvar::thermo;

namespace {

std::vector<ComponentSource> sources(std::vector<std::string> names) { return {names.begin(), names.end()}; }

struct Case {
    std::string label;
    std::function<Result<ThermoSystem>()> make;
    StagedColumn column;
    std::array<ColumnSpecification, 2> specs;
};

StagedColumn column_of(std::uint64_t n, std::uint64_t feed_stage, std::vector<double> z, double p,
                       CondenserKind condenser = CondenserKind::Total)
{
    return {n, {{feed_stage, 100.0, std::move(z), FeedQuality{1.0}}}, p, 0.0, condenser, {}};
}

double ln_coefficient(const ThermoSystem& system, double t, double p, const std::vector<double>& w,
                      thermo::Phase phase, std::size_t i)
{
    return system.ln_phi_derivatives(t, p, w, phase).value().ln_phi[i];
}

double enthalpy(const ThermoSystem& system, const ProfileStage& s, thermo::Phase phase)
{
    return system.enthalpy(s.t, s.p, phase == thermo::Phase::Liquid ? s.x : s.y, phase).value();
}

class StagedColumnSolution : public ::testing::TestWithParam<Case> {};

TEST_P(StagedColumnSolution, SatisfiesEveryStageEquationAndTheOverallBalances)
{
    const Case& c = GetParam();
    const ThermoSystem system = c.make().value();
    const auto solved = solve_staged_column(system, c.column, c.specs);
    ASSERT_TRUE(solved) << solved.error().display();
    const MeshSolution& m = *solved;
    const StageProfile& pr = m.profile;
    const std::size_t n = system.components().size(), N = c.column.n_stages;
    const bool total = c.column.condenser == CondenserKind::Total;
    const StageFeed& feed = c.column.feeds.front();
    const double F = feed.rate;
    const double h_feed = feed_enthalpy(system, stage_pressure(c.column, feed.stage), feed.composition, 1.0).value();
    EXPECT_LE(m.residual, mesh_tolerance);
    EXPECT_TRUE(unstable_liquid_stages(system, m.profile).value().empty());
    const double d = pr.distillate.rate;

    // The reflux: liquid x_D at its bubble point with a total condenser.
    const auto reflux_state = bubble_enthalpy(system, c.column.pressure, pr.distillate.composition);
    const double reflux_flow = m.reflux * d;
    const double energy_scale = F * std::abs(h_feed) + 3600.0 * (std::abs(pr.condenser_duty) + std::abs(pr.reboiler_duty));

    for (std::size_t j = 1; j <= N; ++j) {
        const ProfileStage& s = pr.stages[j - 1];
        double sx = 0.0, sy = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            sx += s.x[i];
            sy += s.y[i];
            double in = feed.stage == j ? F * feed.composition[i] : 0.0;
            if (j > 1) in += pr.stages[j - 2].liquid_flow * pr.stages[j - 2].x[i];
            else if (total) in += reflux_flow * pr.distillate.composition[i];
            if (j < N) in += pr.stages[j].vapour_flow * pr.stages[j].y[i];
            EXPECT_NEAR(in, s.liquid_flow * s.x[i] + s.vapour_flow * s.y[i], 1e-9 * F) << "stage " << j << " i " << i;
            const double gap = std::log(s.x[i]) + ln_coefficient(system, s.t, s.p, s.x, thermo::Phase::Liquid, i) -
                               std::log(s.y[i]) - ln_coefficient(system, s.t, s.p, s.y, thermo::Phase::Vapor, i);
            EXPECT_NEAR(gap, 0.0, 1e-9) << "stage " << j << " i " << i;
        }
        EXPECT_NEAR(sx, 1.0, 1e-9);
        EXPECT_NEAR(sy, 1.0, 1e-9);
        // Enthalpy balances, with the duties on the condenser and the reboiler.
        double in = feed.stage == j ? F * h_feed : 0.0;
        if (j > 1) in += pr.stages[j - 2].liquid_flow * enthalpy(system, pr.stages[j - 2], thermo::Phase::Liquid);
        else if (total) in += reflux_flow * reflux_state.value().enthalpy;
        if (j < N) in += pr.stages[j].vapour_flow * enthalpy(system, pr.stages[j], thermo::Phase::Vapor);
        if (j == N) in += 3600.0 * pr.reboiler_duty;
        if (j == 1 && !total) in -= 3600.0 * pr.condenser_duty;
        const double out = s.liquid_flow * enthalpy(system, s, thermo::Phase::Liquid) +
                           s.vapour_flow * enthalpy(system, s, thermo::Phase::Vapor);
        EXPECT_NEAR(in, out, 1e-9 * energy_scale) << "stage " << j;
    }
    if (total) {
        // The condenser returns the top vapour as liquid at its bubble point.
        const ProfileStage& top = pr.stages.front();
        EXPECT_NEAR(top.vapour_flow, d + reflux_flow, 1e-9 * F);
        const double h_top = enthalpy(system, top, thermo::Phase::Vapor);
        EXPECT_NEAR(3600.0 * pr.condenser_duty, top.vapour_flow * (h_top - reflux_state.value().enthalpy),
                    1e-9 * energy_scale);
    }
    // Over the whole column.
    const double b = pr.bottoms.rate;
    for (std::size_t i = 0; i < n; ++i)
        EXPECT_NEAR(F * feed.composition[i], d * pr.distillate.composition[i] + b * pr.bottoms.composition[i], 1e-9 * F);
    const double h_d = total ? reflux_state.value().enthalpy : enthalpy(system, pr.stages.front(), thermo::Phase::Vapor);
    const double h_b = enthalpy(system, pr.stages.back(), thermo::Phase::Liquid);
    EXPECT_NEAR(F * h_feed + 3600.0 * pr.reboiler_duty, d * h_d + b * h_b + 3600.0 * pr.condenser_duty,
                1e-9 * energy_scale);
}

const Case cases[] = {
    {"BenzeneToluenePengRobinson",
     [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"benzene", "toluene"}); },
     column_of(12, 6, {0.44, 0.56}, 101.325), {RefluxSpec{3.5}, DistillateRateSpec{43.82}}},
    {"FourAlkanesPengRobinson",
     [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"propane", "n-butane", "n-pentane", "n-hexane"}); },
     column_of(20, 10, {0.15, 0.35, 0.30, 0.20}, 800.0), {RefluxSpec{1.2}, DistillateRateSpec{50.0}}},
    {"MethanolWaterWilsonVirialPartial",
     [] {
         return ThermoSystem::activity(sources({"methanol", "water"}),
                                       {.model = thermo::ActivityModel::Wilson,
                                        .parameters = Matrix{{0.0, 449.3}, {1964.6, 0.0}},
                                        .vapour = thermo::VaporModel::virial(),
                                        .saturation = std::nullopt,
                                        .poynting = true,
                                        .solubility = std::nullopt});
     },
     column_of(10, 5, {0.3, 0.7}, 101.325, CondenserKind::Partial), {BoilupSpec{1.5}, RefluxSpec{2.0}}},
};

INSTANTIATE_TEST_SUITE_P(Columns, StagedColumnSolution, ::testing::ValuesIn(cases),
                         [](const auto& instance) { return instance.param.label; });

}  // namespace

namespace {

// Each bad column or specification pair is refused before any solving, with its own message.
TEST(StagedColumnRefusals, NameTheFaultBeforeSolving)
{
    const ThermoSystem system = ThermoSystem::peng_robinson(std::vector<std::string>{"benzene", "toluene"}).value();
    const StagedColumn good = column_of(10, 5, {0.44, 0.56}, 101.325);
    const std::array<ColumnSpecification, 2> specs{RefluxSpec{2.0}, DistillateRateSpec{40.0}};
    struct Refusal {
        std::function<void(StagedColumn&)> change;
        std::array<ColumnSpecification, 2> specs;
        ErrorKind kind;
        std::string message;
    };
    const Refusal refusals[] = {
        {[](StagedColumn& c) { c.n_stages = 1, c.condenser = CondenserKind::Partial; }, specs, ErrorKind::InvalidInput,
         "n_stages must be at least 2 with a partial condenser, got 1"},
        {[](StagedColumn& c) { c.pressure = 0.0; }, specs, ErrorKind::InvalidInput,
         "pressure must be positive and finite, got 0 kPa"},
        {[](StagedColumn& c) { c.feeds[0].stage = 0; }, specs, ErrorKind::InvalidInput,
         "feed 1 is on stage 0, outside 1..10"},
        {[](StagedColumn& c) { c.feeds[0].composition = {44.0, 56.0}; }, specs, ErrorKind::InvalidInput,
         "feed 1 composition must be mole fractions summing to 1, got a sum of 100"},
        {[](StagedColumn& c) { c.side_draws = {{11, DrawPhase::Liquid, 1.0}}; }, specs, ErrorKind::InvalidInput,
         "side draw 1 is on stage 11, outside 1..10"},
        {[](StagedColumn& c) { c.feeds[0].composition = {1.0, 0.0}; }, specs, ErrorKind::InvalidInput,
         "component \"toluene\" is in no feed"},
        {[](StagedColumn&) {}, {RefluxSpec{-1.0}, DistillateRateSpec{40.0}}, ErrorKind::InvalidInput,
         "specification reflux must be positive and finite, got -1"},
        {[](StagedColumn&) {}, {RefluxSpec{2.0}, DistillatePuritySpec{2, 0.9}}, ErrorKind::InvalidInput,
         "specification distillate_purity names component 2, but the system has 2 components"},
        {[](StagedColumn&) {}, {BottomsRecoverySpec{1, 1.0}, DistillateRateSpec{40.0}}, ErrorKind::InvalidInput,
         "specification bottoms_recovery must lie strictly between 0 and 1, got 1"},
        {[](StagedColumn&) {}, {RefluxSpec{2.0}, RefluxSpec{3.0}}, ErrorKind::Infeasible, "reflux is given twice"},
        {[](StagedColumn&) {}, {CondenserDutySpec{500.0}, DistillatePuritySpec{0, 0.9}}, ErrorKind::InvalidInput,
         "condenser_duty and distillate_purity cannot be solved together with a total condenser; give one of them "
         "with a specification of the bottom or a product rate"},
        {[](StagedColumn&) {}, {DistillateRateSpec{50.0}, DistillatePuritySpec{0, 0.9}}, ErrorKind::Infeasible,
         "distillate_purity = 0.9 of \"benzene\" cannot hold in a distillate of 50 kmol/h from feeds bringing 44 "
         "kmol/h of it"},
        {[](StagedColumn&) {}, {RefluxSpec{2.0}, DistillateRateSpec{100.0}}, ErrorKind::Infeasible,
         "distillate_rate = 100 kmol/h must be below the total feed less the side draws, 100 kmol/h"},
        {[](StagedColumn&) {}, {BottomsRateSpec{60.0}, DistillateRateSpec{40.0}}, ErrorKind::Infeasible,
         "distillate_rate and bottoms_rate fix the same balance; give one of them with reflux or boilup"},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.message);
        StagedColumn column = good;
        refusal.change(column);
        const auto solved = solve_staged_column(system, column, refusal.specs);
        ASSERT_FALSE(solved) << refusal.message;
        EXPECT_EQ(solved.error().kind, refusal.kind) << refusal.message;
        EXPECT_EQ(solved.error().message, refusal.message);
    }
    // A caller that asks to stop is obeyed before the solve ends.
    Interrupt stop([](void*) { return true; }, nullptr, std::chrono::nanoseconds(0));
    const auto stopped = solve_staged_column(system, good, specs, stop);
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error().kind, ErrorKind::Interrupted);
}

}  // namespace

namespace {

// A rating read back through other specifications gives the same column:
// (reflux, D) against (reflux, x_D of the light component) and (reflux,
// Q_C), bordered at the top, and against pairs each in its own row.
TEST(StagedColumnRoundTrip, OtherSpecificationsOfTheSameColumnGiveItBack)
{
    const ThermoSystem system =
        ThermoSystem::peng_robinson(std::vector<std::string>{"propane", "n-butane", "n-pentane"}).value();
    for (const auto condenser : {CondenserKind::Total, CondenserKind::Partial}) {
        const StagedColumn column = column_of(12, 6, {0.3, 0.4, 0.3}, 800.0, condenser);
        const auto first = solve_staged_column(system, column, {RefluxSpec{2.0}, DistillateRateSpec{45.0}});
        ASSERT_TRUE(first) << first.error().display();
        const double x_light = first->profile.distillate.composition[0];
        const double recovery = 45.0 * x_light / 30.0;
        const double x_heavy = first->profile.bottoms.composition[2];
        const double q_c = first->profile.condenser_duty, q_r = first->profile.reboiler_duty;
        const std::array<ColumnSpecification, 2> others[] = {
            {RefluxSpec{2.0}, DistillatePuritySpec{0, x_light}},
            {DistillateRecoverySpec{0, recovery}, BottomsPuritySpec{2, x_heavy}},
            {RefluxSpec{2.0}, CondenserDutySpec{q_c}},
            {ReboilerDutySpec{q_r}, DistillateRateSpec{45.0}},
            {BottomsRecoverySpec{2, 1.0 - 45.0 * first->profile.distillate.composition[2] / 30.0}, ReboilerDutySpec{q_r}},
        };
        for (const auto& specs : others) {
            const auto again = solve_staged_column(system, column, specs);
            ASSERT_TRUE(again) << again.error().display();
            EXPECT_NEAR(again->profile.distillate.rate, 45.0, 1e-8 * 100.0);
            EXPECT_NEAR(again->reflux, 2.0, 1e-8);
            for (std::size_t j = 0; j < column.n_stages; ++j) {
                EXPECT_NEAR(again->profile.stages[j].t, first->profile.stages[j].t, 1e-8);
                for (std::size_t i = 0; i < 3; ++i)
                    EXPECT_NEAR(again->profile.stages[j].x[i], first->profile.stages[j].x[i], 1e-8);
            }
        }
    }
}

}  // namespace

namespace {

// Two made-up compounds of equal, temperature-independent latent heats, no
// heat capacity and a constant relative volatility of 2.5 (as in the
// enthalpy-balanced binary design's test): the rigorous column is then the
// McCabe-Thiele staircase, stage by stage, from its own x_D.
TEST(StagedColumnConstantOverflow, IsTheMcCabeThieleStaircase)
{
    const auto compound = [](const char* name, double a1) {
        return ComponentSource{thermo::ComponentConstants{
            {"name", std::string(name)}, {"tc", 560.0}, {"pc", 4900.0}, {"omega", 0.21}, {"zc", 0.27},
            {"vc", 256.0}, {"tb", 360.0}, {"mw", 80.0}, {"psat_coeffs", std::vector<double>{a1, 3500.0, 0.0}},
            {"cp_coeffs", std::vector<double>(5, 0.0)}}};
    };
    const std::vector<ComponentSource> pair{compound("light", 5.0 + std::log(2.5)), compound("heavy", 5.0)};
    const ThermoSystem system = ThermoSystem::ideal_solution(pair, thermo::VaporModel::ideal_gas(), std::nullopt).value();
    const double F = 100.0, D = 40.0, R = 2.0, alpha = 2.5;
    const std::uint64_t N = 10, f = 5;
    const auto solved = solve_staged_column(system, column_of(N, f, {0.5, 0.5}, 101.325), {RefluxSpec{R}, DistillateRateSpec{D}});
    ASSERT_TRUE(solved) << solved.error().display();
    const auto& stages = solved->profile.stages;
    const double x_d = solved->profile.distillate.composition[0], x_b = solved->profile.bottoms.composition[0];
    const double L = R * D, V = (R + 1.0) * D, L_strip = L + F, B = F - D;
    double y = x_d;
    for (std::uint64_t j = 1; j <= N; ++j) {
        const double x = y / (alpha - (alpha - 1.0) * y);
        EXPECT_NEAR(stages[j - 1].x[0], x, 1e-9) << "stage " << j;
        EXPECT_NEAR(stages[j - 1].liquid_flow, j == N ? B : j < f ? L : L_strip, 1e-8 * F) << "stage " << j;
        y = j < f ? (L * x + D * x_d) / V : (L_strip * x - B * x_b) / V;
    }
}

}  // namespace
