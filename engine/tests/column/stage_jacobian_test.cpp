// The Jacobian of the stage equations is their derivative: every entry of
// the blocks against central differences of the residuals, and every entry
// outside the blocks zero, on columns that exercise both condensers, side
// draws and every specification row. The heat capacities of the enthalpy
// balances (their temperature entries) are excluded: they omit the
// residual enthalpy's second temperature derivative by design, and so do
// the rows of duty specifications.
#include "column/mesh/initial_profile.hpp"
#include "column/mesh/stage_equations.hpp"

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
    bool duty_rows = false;  // the specification rows hold heat capacities too
};

class StageJacobian : public ::testing::TestWithParam<Case> {};

TEST_P(StageJacobian, MatchesCentralDifferencesOfTheResiduals)
{
    const Case& c = GetParam();
    const ThermoSystem system = c.make().value();
    const mesh::Problem pb = mesh::make_problem(system, c.column, c.specs).value();
    Interrupt interrupt;
    std::vector<double> u = mesh::initial_profile(system, c.column, pb, interrupt).value();
    const auto spec = system.spec();
    const std::size_t m = pb.unknowns(), n = pb.n;

    mesh::Evaluation eval;
    ASSERT_TRUE(mesh::evaluate(spec, pb, u, eval));
    std::vector<std::size_t> sizes(pb.blocks());
    for (std::size_t b = 0; b < sizes.size(); ++b) sizes[b] = pb.block_size(b);
    mesh::BlockTridiagonal jac(sizes);
    mesh::jacobian(pb, u, eval, jac);

    auto block_of = [&](std::size_t k) {
        std::size_t b = 0;
        while (pb.offset(b + 1) <= k) ++b;
        return b;
    };
    auto is_temperature = [&](std::size_t k) {
        const std::size_t b = block_of(k), local = k - pb.offset(b);
        return pb.total && b == 0 ? local == 0 : local == 2 * n;
    };
    auto is_enthalpy_row = [&](std::size_t r) {
        const std::size_t b = block_of(r), local = r - pb.offset(b);
        if (pb.total && b == 0) return c.duty_rows && local == n + 1;
        const std::size_t j = pb.total ? b : b + 1;
        return local == 2 * n && (c.duty_rows || (j != pb.stages && !(j == 1 && !pb.total)));
    };

    std::vector<double> up(m), down(m), r_up(m), r_down(m);
    mesh::Evaluation e;
    for (std::size_t k = 0; k < m; ++k) {
        const double h = 1e-6 * std::max(std::abs(u[k]), 1e-3);
        up = u;
        down = u;
        up[k] += h;
        down[k] -= h;
        ASSERT_TRUE(mesh::evaluate(spec, pb, up, e));
        mesh::residuals(pb, up, e, r_up);
        ASSERT_TRUE(mesh::evaluate(spec, pb, down, e));
        mesh::residuals(pb, down, e, r_down);
        const std::size_t bk = block_of(k), ck = k - pb.offset(bk);
        for (std::size_t r = 0; r < m; ++r) {
            const double numeric = (r_up[r] - r_down[r]) / (2.0 * h);
            const std::size_t br = block_of(r), cr = r - pb.offset(br);
            double exact = 0.0;
            if (br == bk) exact = jac.diagonal(br, cr, ck);
            else if (br == bk + 1) exact = jac.lower(br, cr, ck);
            else if (bk == br + 1) exact = jac.upper(br, cr, ck);
            if (is_enthalpy_row(r) && is_temperature(k)) continue;
            EXPECT_NEAR(exact, numeric, 1e-6 + 1e-5 * std::abs(numeric)) << "row " << r << " column " << k;
        }
    }
}

const Case cases[] = {
    {"TotalRefluxDistillate",
     [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"propane", "n-butane", "n-pentane"}); },
     {8, {{4, 100.0, {0.3, 0.4, 0.3}, FeedQuality{0.7}}}, 800.0, 5.0, CondenserKind::Total,
      {{3, DrawPhase::Liquid, 5.0}, {6, DrawPhase::Vapour, 4.0}}},
     {RefluxSpec{2.0}, DistillateRateSpec{35.0}}},
    {"TotalBottomsBoilup",
     [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"benzene", "toluene"}); },
     {6, {{3, 100.0, {0.44, 0.56}, FeedQuality{1.0}}}, 101.325, 0.0, CondenserKind::Total, {}},
     {BottomsRateSpec{56.0}, BoilupSpec{2.5}}},
    {"TotalPurityRecovery",
     [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"propane", "n-butane", "n-pentane"}); },
     {7, {{4, 100.0, {0.3, 0.4, 0.3}, FeedQuality{1.0}}}, 800.0, 0.0, CondenserKind::Total, {}},
     {DistillateRecoverySpec{0, 0.95}, BottomsPuritySpec{2, 0.6}}},
    {"PartialPurityRecovery",
     [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"propane", "n-butane", "n-pentane"}); },
     {7, {{4, 100.0, {0.3, 0.4, 0.3}, FeedQuality{1.0}}}, 800.0, 0.0, CondenserKind::Partial, {}},
     {BottomsRecoverySpec{2, 0.95}, DistillatePuritySpec{0, 0.6}}},
    {"TotalDuties",
     [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"benzene", "toluene"}); },
     {6, {{3, 100.0, {0.44, 0.56}, FeedQuality{1.0}}}, 101.325, 0.0, CondenserKind::Total, {}},
     {ReboilerDutySpec{1500.0}, CondenserDutySpec{1400.0}}, true},
    {"PartialDuties",
     [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"benzene", "toluene"}); },
     {6, {{3, 100.0, {0.44, 0.56}, FeedQuality{1.0}}}, 101.325, 0.0, CondenserKind::Partial, {}},
     {CondenserDutySpec{1400.0}, ReboilerDutySpec{1500.0}}, true},
    {"PartialGammaPhi",
     [] {
         return ThermoSystem::activity(sources({"methanol", "water"}),
                                       {.model = thermo::ActivityModel::Wilson,
                                        .parameters = Matrix{{0.0, 449.3}, {1964.6, 0.0}},
                                        .vapour = thermo::VaporModel::virial(),
                                        .saturation = std::nullopt,
                                        .poynting = true,
                                        .solubility = std::nullopt});
     },
     {6, {{3, 100.0, {0.3, 0.7}, FeedTemperature{330.0}}}, 101.325, 0.0, CondenserKind::Partial,
      {{4, DrawPhase::Liquid, 3.0}}},
     {RefluxSpec{2.0}, DistillateRateSpec{25.0}}},
};

INSTANTIATE_TEST_SUITE_P(Columns, StageJacobian, ::testing::ValuesIn(cases),
                         [](const auto& instance) { return instance.param.label; });

}  // namespace
