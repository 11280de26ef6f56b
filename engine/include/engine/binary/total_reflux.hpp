// The two companions of the McCabe-Thiele construction: the total-reflux
// staircase (minimum stage count N_min) and the stage count over a sweep of
// reflux ratios.
#pragma once

#include "engine/binary/equilibrium.hpp"
#include "engine/binary/mccabe_thiele.hpp"
#include "engine/binary/point.hpp"
#include "engine/column.hpp"
#include "engine/error.hpp"
#include "engine/interrupt.hpp"

#include <span>
#include <vector>

namespace kolvar::engine {

struct TotalRefluxResult {
    double n_min = 0.0;              // fractional N_min, reboiler included
    std::vector<StagePoint> stages;  // top-down; stage n is (n, x_n, x_(n-1)), x_0 = x_D
    // (x_D, x_D), (x_1, x_D), (x_1, x_1), ..., (x_N, x_(N-1)): 2N points.
    std::vector<Point> staircase;
};

// Steps between the curve (or the pseudo-equilibrium curve when E_MV < 1) and
// the diagonal from x_D down to x_B. Failures, in order:
//   InvalidInput "need 0 < x_B < x_D < 1, got x_B = {x_B}, x_D = {x_D}"
//   InvalidInput "Murphree efficiency must be in (0, 1], got {E}"
// and while stepping:
//   any failure of equilibrium_step, unchanged
//   NotConverged "total-reflux staircase pinched at x = {x_n:.6} (azeotrope between x_B and x_D?)"
//   NotConverged "exceeded 500 stages at total reflux — x_B = {x_B} unreachable"
Result<TotalRefluxResult> total_reflux(const EquilibriumCurve& curve, double x_distillate,
                                       double x_bottoms, double murphree);

// One point of a reflux sweep; n_stages is NaN where the construction failed.
struct StageCount {
    double reflux = 0.0;
    double n_stages = 0.0;
};

// The stage count of the full construction of `spec` with each reflux ratio
// in turn (spec.reflux is not used), in input order. Never fails: any error
// of a construction becomes NaN in its place.
std::vector<StageCount> n_vs_r(const EquilibriumCurve& curve, std::span<const double> reflux_values,
                               const McCabeThieleSpec& spec);

// The same sweep, asking `interrupt` before every reflux value; its only
// failure is Interrupted.
Result<std::vector<StageCount>> n_vs_r(const EquilibriumCurve& curve, std::span<const double> reflux_values,
                                       const McCabeThieleSpec& spec, Interrupt interrupt);

}  // namespace kolvar::engine
