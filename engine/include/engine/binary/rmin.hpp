// Minimum reflux by pinch detection on the sampled curve, tangent pinches
// included. Works on the true curve only (no stage efficiency).
#pragma once

#include "engine/binary/equilibrium.hpp"
#include "engine/binary/point.hpp"
#include "engine/error.hpp"

namespace kolvar::engine {

struct RminResult {
    double r_min = 0.0;  // minimum external reflux ratio R_min
    Point pinch;         // controlling pinch: a curve sample or the feed point
    bool tangent = false;  // the pinch is an interior curve point, not the feed point
    Point feed_point;    // where the q-line meets the equilibrium curve
};

// Finds the feed point (q-line meets curve), the steepest line from
// (x_D, x_D) to the curve above it and the shallowest line from (x_B, x_B)
// to the curve below it; the larger of the two reflux ratios is R_min.
//
// Failures, in order:
//   InvalidInput "specs must satisfy x_B < z_F < x_D, got x_B = {x_B}, z_F = {z_F}, x_D = {x_D}"
//   InvalidInput  a curve query outside the sampled range (values outside [0, 1])
//   Infeasible   "the q-line (q = {q}) never meets the equilibrium curve — check z_F = {z_F} and q"
//   Infeasible   "x_D = {x_D} is unreachable at any reflux (equilibrium curve at or below the
//                 diagonal — azeotrope?)"
//   Infeasible   "x_B = {x_B} is unreachable at any boilup (stripping line pinned to the diagonal)"
// Allocates nothing on success.
Result<RminResult> rmin(const EquilibriumCurve& curve, double x_distillate, double x_bottoms,
                        double z_feed, double q);

}  // namespace kolvar::engine
