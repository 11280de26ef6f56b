// The stage equations of a checked column as the solver holds them: what is
// fixed (feeds, draws, pressures, the two specifications in their places)
// and where each unknown sits in the block-tridiagonal layout.
//
// Blocks: with a total condenser block 0 is the condenser, [T_0, w_1..w_n,
// D] (its bubble temperature, incipient vapour and the distillate rate), and
// block j is stage j; with a partial condenser block j - 1 is stage j. A
// stage's block is [v_1..v_n, l_1..l_n, T]; its rows are the component
// balances, the equilibrium relations and the enthalpy balance, the last
// replaced by the top specification on a partial condenser and by the bottom
// one on the reboiler. The condenser's rows are its n bubble-point
// relations, sum w = 1 and the top specification.
#pragma once

#include "engine/column/mesh.hpp"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace kolvar::engine::mesh {

// A specification as a row of the equations: where it stands and what it fixes.
// In the order of ColumnSpecification's alternatives.
enum class SpecKind : unsigned {
    Reflux,
    DistillateRate,
    BottomsRate,
    Boilup,
    DistillatePurity,
    BottomsPurity,
    DistillateRecovery,
    BottomsRecovery,
    CondenserDuty,
    ReboilerDuty
};
// "reflux", "distillate_rate", ..., as the specifications are named.
const char* spec_name(SpecKind kind);

struct PlacedSpec {
    SpecKind kind = SpecKind::Reflux;
    double value = 0.0;
    std::size_t component = 0;  // of a purity or recovery
};

struct Problem {
    std::size_t n = 0;         // components
    std::size_t stages = 0;    // N
    bool total = true;         // a total condenser, block 0
    std::vector<double> pressure;      // P_j, index j - 1
    std::vector<double> feed;          // sum of the component feeds f_ij, row j - 1, n each
    std::vector<double> feed_enthalpy; // sum of F h_F on stage j [kJ/h], index j - 1
    std::vector<double> liquid_draw;   // U_j, index j - 1
    std::vector<double> vapour_draw;   // W_j, index j - 1
    double total_feed = 0.0;
    double total_draw = 0.0;
    std::vector<double> component_feed;  // f_i summed over the feeds
    PlacedSpec top;     // on the condenser block, or stage 1's last row when partial
    PlacedSpec bottom;  // stage N's last row
    // A second specification of the same end as the first: it borders the
    // system, and the other end's row fixes the distillate rate, an unknown
    // held in that row's value (free_row_top says which end's row that is).
    std::optional<PlacedSpec> bordered;
    bool free_row_top = false;
    double enthalpy_scale = 1.0;  // J/mol dividing the enthalpy balances, with the total feed

    std::size_t blocks() const { return stages + (total ? 1 : 0); }
    std::size_t block_of_stage(std::size_t j) const { return total ? j : j - 1; }
    std::size_t stage_size() const { return 2 * n + 1; }
    std::size_t condenser_size() const { return n + 2; }
    std::size_t block_size(std::size_t b) const { return total && b == 0 ? condenser_size() : stage_size(); }
    // Offset of block b in the unknowns.
    std::size_t offset(std::size_t b) const
    {
        if (!total) return b * stage_size();
        return b == 0 ? 0 : condenser_size() + (b - 1) * stage_size();
    }
    std::size_t unknowns() const { return offset(blocks()); }
};

// The fixed data of the column at its specifications (after the checks):
// feed enthalpies by q at the feed stage's pressure or from the stable
// phases at a feed temperature, with their failures.
Result<Problem> make_problem(const ThermoSystem& system, const StagedColumn& column,
                             const std::array<ColumnSpecification, 2>& pair);

// A view of one stage's unknowns in the vector of all of them.
struct StageView {
    std::span<const double> v, l;
    double t;
};
inline StageView stage_view(const Problem& problem, std::span<const double> u, std::size_t j)
{
    const std::size_t o = problem.offset(problem.block_of_stage(j));
    return {u.subspan(o, problem.n), u.subspan(o + problem.n, problem.n), u[o + 2 * problem.n]};
}

inline double sum(std::span<const double> a)
{
    double s = 0.0;
    for (double v : a) s += v;
    return s;
}

}  // namespace kolvar::engine::mesh
