// The stage equations at one point of the unknowns: the phases of every
// stage (and of the total condenser's bubble point) evaluated once, then the
// scaled residuals (residuals.cpp) and their exact Jacobian by block
// (jacobian.cpp). Scales: component balances and specifications over the
// total feed, enthalpy balances over the total feed times the enthalpy
// scale, equilibrium relations as they stand (differences of logarithms).
#pragma once

#include "column/mesh/block_tridiagonal.hpp"
#include "column/mesh/mesh_problem.hpp"
#include "column/mesh/phase_state.hpp"

#include <string>

namespace kolvar::engine::mesh {

struct Evaluation {
    std::vector<PhaseState> liquid, vapour;  // stage j at index j - 1
    PhaseState reflux;       // total condenser: the liquid y_1 at T_0
    PhaseState incipient;    // total condenser: its incipient vapour w at T_0
};

// Evaluates every phase at the unknowns u; the failures of evaluate_phase.
Result<void> evaluate(const thermo::SystemSpec& spec, const Problem& problem, std::span<const double> u,
                      Evaluation& eval);

// The scaled residuals into r (one per unknown, in the blocks' order).
void residuals(const Problem& problem, std::span<const double> u, const Evaluation& eval, std::span<double> r);

// Their Jacobian in u into `jacobian` (cleared first).
void jacobian(const Problem& problem, std::span<const double> u, const Evaluation& eval, BlockTridiagonal& jacobian);

// What row `index` of the residuals is: "component balance of benzene on
// stage 3", "equilibrium of benzene on stage 3", "enthalpy balance of stage
// 5", "bubble point of benzene in the condenser", "specification reflux",
// for messages.
std::string equation_name(const Problem& problem, std::span<const std::string> names, std::size_t index);

// The enthalpy a stage's balance exchanges, in kJ/h: what enters (liquid
// from above, vapour from below, feeds) less what leaves (liquid and vapour
// with their draws). At the solution it is zero on every stage with a
// balance, the condenser duty's negative on a partial condenser and the
// reboiler duty's negative on the reboiler.
double enthalpy_surplus(const Problem& problem, std::span<const double> u, const Evaluation& eval, std::size_t stage);

// The residual of a specification in its row at the top or the bottom, and
// its gradient in the unknowns into `grad` (all of them, zeroed first).
double specification(const Problem& problem, std::span<const double> u, const Evaluation& eval, PlacedSpec spec,
                     bool top, std::span<double> grad);

// weight times the gradient of enthalpy_surplus of stage j, added to grad.
void add_enthalpy_gradient(const Problem& problem, std::span<const double> u, const Evaluation& eval, std::size_t j,
                           double weight, std::span<double> grad);

// weight times the gradient of a total condenser's V_1 (H_V1 - h_L(y_1, T_0)), added to grad.
void add_total_condenser_gradient(const Problem& problem, std::span<const double> u, const Evaluation& eval,
                                  double weight, std::span<double> grad);

// The distillate rate, an unknown of the total condenser.
inline double distillate_unknown(const Problem& problem, std::span<const double> u) { return u[problem.n + 1]; }

}  // namespace kolvar::engine::mesh
