// Minimum reflux by pinch detection on the sampled curve, tangent pinches
// included. Works on the true curve only (no stage efficiency).
#pragma once

#include "engine/binary/equilibrium.hpp"
#include "engine/binary/point.hpp"
#include "engine/error.hpp"

namespace kolvar::engine {

struct RminResult {
    double r_min = 0.0;  // minimum external reflux ratio R_min: finite, >= 0
    // The controlling pinch: a curve sample or the feed point, or, when the
    // q-line leaves the diagram's feasible part before meeting the curve, the
    // zero-boil-up point (x_B, q-line at x_B) or the zero-reflux point
    // (q-line at y = x_D, x_D).
    Point pinch;
    bool tangent = false;  // the pinch is a curve point other than the feed point
    Point feed_point;    // where the q-line meets the equilibrium curve
};

// The smallest reflux at which a staircase from x_D down to x_B exists: the
// operating lines meet on the q-line right of x_B (positive boil-up) and both
// stay on or below the curve. Finds the feed point (q-line meets curve), the
// steepest line from (x_D, x_D) to the curve above it and the shallowest
// line from (x_B, x_B) to the curve below it; the larger of the two reflux
// ratios is R_min. When the feed point lies at or left of x_B, the
// intersection reaches x = x_B (zero boil-up) first: that point bounds the
// reflux, unless a sample on [x_B, x_D) needs more. When even a horizontal
// rectifying line clears the curve (the feed point at or above y = x_D, as
// for strongly subcooled feeds), R_min is 0, unless the stripping side needs
// more, and the pinch is the zero-reflux point.
//
// Failures, in order:
//   InvalidInput "{x_D|x_B|z_F} must be strictly inside (0, 1), got {value}"
//   InvalidInput "specs must satisfy x_B < z_F < x_D, got x_B = {x_B}, z_F = {z_F}, x_D = {x_D}"
//   Infeasible   "the q-line (q = {q}) never meets the equilibrium curve — check z_F = {z_F} and q"
// with the feed point at or left of x_B:
//   Infeasible   "x_B = {x_B} is unreachable: the q-line (q = {q}) lies above the equilibrium
//                 curve there — check z_F = {z_F} and q"
//   Infeasible   "x_D = {x_D} is unreachable at any reflux (equilibrium curve at or below the
//                 diagonal — azeotrope?)"
// otherwise:
//   Infeasible   "x_D = {x_D} is unreachable at any reflux (equilibrium curve at or below the
//                 diagonal — azeotrope?)"
//   Infeasible   "x_B = {x_B} is unreachable at any boilup (stripping line pinned to the diagonal)"
// Allocates nothing on success.
Result<RminResult> rmin(const EquilibriumCurve& curve, double x_distillate, double x_bottoms,
                        double z_feed, double q);

}  // namespace kolvar::engine
