// The equilibrium curve of a binary thermodynamic system at one pressure.
#pragma once

#include "engine/binary/equilibrium.hpp"
#include "engine/binary/limits.hpp"
#include "engine/interrupt.hpp"
#include "engine/thermo/system.hpp"

#include <cstdint>
#include <optional>

namespace kolvar::engine {

// Runs one bubble-temperature calculation per point of the even grid
// x_i = i / (n - 1) for the liquid [x_i, 1 - x_i], the first component being
// the light one. Failures, in order:
//   InvalidInput "equilibrium curve needs a binary system, got {n} components"
//   InvalidInput  the sample-count checks of check_point_count
//   the first failing bubble point, unchanged (ThermoFailed)
//   ThermoFailed "non-finite bubble point at x = {x:.3}: T = {T} K, y* = {y}"
//   ThermoFailed "component order looks inverted: y*({x_1:.3}) = {y_1:.4} ≤ x — list
//                 the more volatile component first", when y* ≤ x at both the
//                 first and the last interior grid point (a NaN y* passes); a
//                 maximum-boiling azeotrope, below the diagonal only at the
//                 first, keeps its curve in either order
// The curve keeps x, y* (exactly 0 and 1 at the ends), T and the pressure.
// `interrupt` is asked before every grid point; when it stops the sweep, the
// samples computed so far are dropped.
Result<EquilibriumCurve> curve_from_thermo(const ThermoSystem& system, double pressure,
                                           std::uint64_t n_points = binary_limits::default_curve_points,
                                           Interrupt interrupt = {});

// The light-component range [low, high] over which the bubble-point liquid
// splits into two liquids.
struct LiquidSplit {
    double low = 0.0;
    double high = 0.0;
};

struct CurveFromThermo {
    EquilibriumCurve curve;
    std::optional<LiquidSplit> split;  // none when every grid liquid is stable
};

// curve_from_thermo, and where the curve's liquid splits: the interior grid
// liquids at their bubble temperatures are tested by
// thermo::binary_liquid_splits (a test that fails counts as stable), every
// other one and the last one, and each one between two such neighbours unless
// the Gibbs energy is convex at both of their temperatures (and so at its
// own, which lies between them). Only the first and the last unstable grid
// points bound the split, so the tests run inwards from either end and stop
// at them. Each edge is then narrowed between the unstable grid point and
// its stable neighbour (the pure ends are stable) until the two ends are
// within 1e-6, the edge being the unstable end: the minimum of the
// tangent-plane distance that showed the grid point's split is followed
// (thermo::binary_tangent_minimum) to the stable neighbour and through the
// points between, chosen by regula falsi on its tpd (Illinois), at bubble
// temperatures from the cubic through the four grid temperatures around
// them; the unstable end is confirmed by the full test at its own bubble
// temperature. Where the minimum is lost or the end is not confirmed, the
// edge is bisected with the full test at every midpoint, and then with a
// bubble point at every midpoint too. `interrupt` is also asked before every
// test.
Result<CurveFromThermo> curve_and_split_from_thermo(const ThermoSystem& system, double pressure,
                                                    std::uint64_t n_points = binary_limits::default_curve_points,
                                                    Interrupt interrupt = {});

}  // namespace kolvar::engine
