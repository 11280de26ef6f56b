// The rating of a staged column: checks, start, Newton, then the stages,
// products and duties read from the solution.
#include "column/mesh/initial_profile.hpp"
#include "column/mesh/newton.hpp"

#include "engine/column/energy_balance.hpp"

namespace kolvar::engine {
namespace {

using mesh::Problem;

ProfileStage stage_of(const Problem& pb, std::span<const double> u, std::size_t j)
{
    const mesh::StageView s = mesh::stage_view(pb, u, j);
    ProfileStage out;
    out.index = j;
    out.t = s.t;
    out.p = pb.pressure[j - 1];
    out.liquid_flow = mesh::sum(s.l);
    out.vapour_flow = mesh::sum(s.v);
    out.x.resize(pb.n);
    out.y.resize(pb.n);
    out.k.resize(pb.n);
    for (std::size_t i = 0; i < pb.n; ++i) {
        out.x[i] = s.l[i] / out.liquid_flow;
        out.y[i] = s.v[i] / out.vapour_flow;
        out.k[i] = out.y[i] / out.x[i];
    }
    return out;
}

MeshSolution read_solution(const Problem& pb, const StagedColumn& column, std::span<const double> u,
                           const mesh::Evaluation& eval)
{
    MeshSolution out;
    auto& profile = out.profile;
    for (std::size_t j = 1; j <= pb.stages; ++j) profile.stages.push_back(stage_of(pb, u, j));
    const ProfileStage& top = profile.stages.front();
    const ProfileStage& bottom = profile.stages.back();
    const double d = pb.total ? mesh::distillate_unknown(pb, u) : top.vapour_flow;
    profile.distillate = {d, top.y};
    profile.bottoms = {bottom.liquid_flow, bottom.x};
    for (const auto& draw : column.side_draws) {
        const ProfileStage& s = profile.stages[draw.stage - 1];
        profile.side_draws.push_back({draw.rate, draw.phase == DrawPhase::Liquid ? s.x : s.y});
    }
    const double kw = kilojoules_per_hour_per_kilowatt;
    profile.condenser_duty = pb.total ? top.vapour_flow * (eval.vapour[0].enthalpy - eval.reflux.enthalpy) / kw
                                      : mesh::enthalpy_surplus(pb, u, eval, 1) / kw;
    profile.reboiler_duty = -mesh::enthalpy_surplus(pb, u, eval, pb.stages) / kw;
    out.reflux = (pb.total ? top.vapour_flow - d : top.liquid_flow) / d;
    out.boilup = bottom.vapour_flow / bottom.liquid_flow;
    return out;
}

}  // namespace

Result<MeshSolution> solve_staged_column(const ThermoSystem& system, const StagedColumn& column,
                                         const std::array<ColumnSpecification, 2>& pair, Interrupt interrupt)
{
    if (auto ok = check_staged_column(system, column); !ok) return std::unexpected(std::move(ok.error()));
    if (auto ok = check_specifications(system, column, pair); !ok) return std::unexpected(std::move(ok.error()));
    auto problem = mesh::make_problem(system, column, pair);
    if (!problem) return std::unexpected(std::move(problem.error()));
    auto u = mesh::initial_profile(system, column, *problem, interrupt);
    if (!u) return std::unexpected(std::move(u.error()));
    const thermo::SystemSpec spec = system.spec();
    const std::vector<std::string> names = system.component_names();
    mesh::Evaluation eval;
    auto outcome = mesh::newton(spec, *problem, names, *u, eval, interrupt);
    if (!outcome) return std::unexpected(std::move(outcome.error()));
    MeshSolution out = read_solution(*problem, column, *u, eval);
    out.iterations = outcome->iterations;
    out.residual = outcome->residual;
    return out;
}

Result<std::vector<std::uint64_t>> unstable_liquid_stages(const ThermoSystem& system, const StageProfile& profile,
                                                          Interrupt interrupt)
{
    std::vector<std::uint64_t> split;
    for (const auto& stage : profile.stages) {
        auto test = system.liquid_stability(stage.t, stage.p, stage.x, interrupt);
        if (!test) return std::unexpected(std::move(test.error()));
        if (test->tpd < -split_tolerance) split.push_back(stage.index);
    }
    return split;
}

}  // namespace kolvar::engine
