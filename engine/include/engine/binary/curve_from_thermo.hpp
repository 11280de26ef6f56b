// The equilibrium curve of a binary thermodynamic system at one pressure.
#pragma once

#include "engine/binary/equilibrium.hpp"
#include "engine/binary/limits.hpp"
#include "engine/interrupt.hpp"
#include "engine/thermo/system.hpp"

#include <cstdint>

namespace kolvar::engine {

// Runs one bubble-temperature calculation per point of the even grid
// x_i = i / (n - 1) for the liquid [x_i, 1 - x_i], the first component being
// the light one. Failures, in order:
//   InvalidInput "equilibrium curve needs a binary system, got {n} components"
//   InvalidInput  the sample-count checks of check_point_count
//   the first failing bubble point, unchanged (ThermoFailed)
//   ThermoFailed "non-finite bubble point at x = {x:.3}: T = {T} K, y* = {y}"
//   ThermoFailed "component order looks inverted: y*({x_1:.3}) = {y_1:.4} ≤ x — list
//                 the more volatile component first"
// The curve keeps x, y* (exactly 0 and 1 at the ends), T and the pressure.
// `interrupt` is asked before every grid point; when it stops the sweep, the
// samples computed so far are dropped.
Result<EquilibriumCurve> curve_from_thermo(const ThermoSystem& system, double pressure,
                                           std::uint64_t n_points = binary_limits::default_curve_points,
                                           Interrupt interrupt = {});

}  // namespace kolvar::engine
