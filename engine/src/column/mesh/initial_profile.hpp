// The start of Newton's method: constant-molar-overflow flows from the
// specifications, then bubble-point passes (each component's balances with
// fixed K-values as one tridiagonal system, each stage's temperature the
// bubble point of its liquid) until the temperatures settle.
#pragma once

#include "column/mesh/mesh_problem.hpp"

namespace kolvar::engine::mesh {

// Passes of the bubble-point method at most, and the temperature change
// below which they stop, K.
inline constexpr unsigned initial_passes = 4;
inline constexpr double initial_settled = 0.05;

// The unknowns of the start. Failures: the bubble-point solves' (ThermoFailed,
// Interrupted) and Interrupted between passes.
Result<std::vector<double>> initial_profile(const ThermoSystem& system, const StagedColumn& column,
                                            const Problem& problem, Interrupt& interrupt);

}  // namespace kolvar::engine::mesh
