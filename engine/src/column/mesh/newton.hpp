// Newton's method on the stage equations with the exact block-tridiagonal
// Jacobian, damped: a temperature moves at most max_temperature_step per
// iteration, a flow (or a condenser unknown that must stay positive) keeps
// at least a tenth of its value, and the step is halved while the sum of
// squared scaled residuals does not fall or the phases cannot be evaluated.
#pragma once

#include "column/mesh/stage_equations.hpp"

#include <string>

namespace kolvar::engine::mesh {

inline constexpr double max_temperature_step = 20.0;  // K
inline constexpr unsigned max_halvings = 10;

struct NewtonOutcome {
    unsigned iterations = 0;
    double residual = 0.0;  // largest scaled residual
};

// Solves from u (overwritten with the solution; `eval` holds its phases).
// Failures: the phases' at the start, and those of every shortened step
// (ThermoFailed); a singular Jacobian and NotConverged after mesh_iterations
// naming the equation of the largest residual; Interrupted, `interrupt`
// asked once per iteration.
Result<NewtonOutcome> newton(const thermo::SystemSpec& spec, Problem problem,
                             std::span<const std::string> names, std::vector<double>& u, Evaluation& eval,
                             Interrupt& interrupt);

}  // namespace kolvar::engine::mesh
