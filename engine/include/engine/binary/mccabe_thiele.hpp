// The McCabe-Thiele construction of a binary two-product column on a sampled
// equilibrium curve: operating lines, their intersection on the q-line, the
// stage staircase from x_D down to x_B, the fractional stage count and the
// optimal feed stage. Also the single stage step shared with total reflux.
#pragma once

#include "engine/binary/equilibrium.hpp"
#include "engine/binary/point.hpp"
#include "engine/binary/rmin.hpp"
#include "engine/column.hpp"
#include "engine/error.hpp"

#include <cstdint>
#include <vector>

namespace kolvar::engine {

struct McCabeThieleSpec {
    double x_distillate = 0.0;  // x_D
    double x_bottoms = 0.0;     // x_B
    double z_feed = 0.0;        // z_F
    double q = 1.0;             // feed thermal condition, any real value
    double reflux = 0.0;        // external reflux ratio R = L/D
    double murphree = 1.0;      // Murphree vapour efficiency E_MV in (0, 1]
    CondenserKind condenser = CondenserKind::Total;  // carried along; changes no number
};

// One stage corner of the staircase.
struct StagePoint {
    std::uint64_t index = 0;  // 1-based from the top
    double x = 0.0;  // liquid leaving the stage (on the (pseudo-)equilibrium curve)
    double y = 0.0;  // vapour leaving the stage (on the operating line in use)

    friend bool operator==(const StagePoint&, const StagePoint&) = default;
};

struct McCabeThieleResult {
    McCabeThieleSpec spec;
    // Fractional stage count: the last stage counts by the fraction of its
    // step needed to reach x_B. Includes the reboiler, and the condenser when
    // it is partial.
    double n_stages = 0.0;
    std::vector<StagePoint> stages;  // top-down, indices 1..N
    std::uint64_t feed_stage = 0;    // first stage whose step reaches x_int; N if none does
    RminResult rmin;                 // on the true curve
    Line rectifying;                 // slope R/(R+1), intercept x_D/(R+1)
    Line stripping;                  // through (x_B, x_B) and the intersection
    Point intersection;              // of the two operating lines, on the q-line
    // (x_D, x_D), (x_1, y_1), (x_1, y_2), (x_2, y_2), ..., (x_N, y_N): 2N points.
    std::vector<Point> staircase;
};

// The liquid x of a stage whose leaving vapour is y, y lying on the operating
// line slope * x + intercept. With |E_MV - 1| < 1e-12 this is the curve's
// x_of_y(y); otherwise a 60-halving bisection over [0, x_upper] on the
// pseudo-equilibrium curve P(x) = L(x) + E_MV (y*(x) - L(x)), failing with
// NotConverged "pseudo-equilibrium step cannot reach y = {y} (E_MV = {E}) —
// the staircase has pinched; raise R or E_MV" when y is outside
// [P(0), P(x_upper)]. Curve range errors pass through.
Result<double> equilibrium_step(const EquilibriumCurve& curve, double slope, double intercept,
                                double murphree, double y, double x_upper);

// The checks of a specification that come before any geometry, in order:
//   InvalidInput "{x_D|x_B|z_F} must be strictly inside (0, 1), got {value}"
//   InvalidInput "specs must satisfy x_B < z_F < x_D, got x_B = {x_B}, z_F = {z_F}, x_D = {x_D}"
//   InvalidInput "reflux ratio must be positive, got {R}"
//   InvalidInput "reflux ratio must be finite, got {R}"
//   InvalidInput "Murphree efficiency must be in (0, 1], got {E}"
Result<void> check_spec(const McCabeThieleSpec& spec);

// The operating lines of a specification that passed check_spec. The
// rectifying line has slope R/(R+1) and intercept x_D/(R+1), through
// (x_D, x_D). It meets the q-line at the intersection, which fails with
//   Infeasible   "q-line is parallel to the rectifying line (degenerate q/R combination)"
//   NotConverged "operating-line intersection ({x_int:.4}, {y_int:.4}) fell below the
//                 diagonal — R = {R} is below R_min for this q"
// The stripping line runs through (x_B, x_B) and the intersection.
Line rectifying_line(const McCabeThieleSpec& spec);
Result<Point> operating_intersection(const McCabeThieleSpec& spec);
Line stripping_line(const McCabeThieleSpec& spec, Point intersection);

// The full construction. Failures, in order:
//   InvalidInput "{x_D|x_B|z_F} must be strictly inside (0, 1), got {value}"
//   InvalidInput "specs must satisfy x_B < z_F < x_D, got x_B = {x_B}, z_F = {z_F}, x_D = {x_D}"
//   InvalidInput "reflux ratio must be positive, got {R}"
//   InvalidInput "reflux ratio must be finite, got {R}"
//   InvalidInput "Murphree efficiency must be in (0, 1], got {E}"
//   Infeasible   "q-line is parallel to the rectifying line (degenerate q/R combination)"
//   NotConverged "operating-line intersection ({x_int:.4}, {y_int:.4}) fell below the
//                 diagonal — R = {R} is below R_min for this q"
//   any failure of rmin, unchanged
//   NotConverged "R = {R} ≤ R_min = {R_min:.6}: the staircase pinches before reaching x_B"
//                 (also when rounding just above R_min leaves the intersection at or left
//                 of x_B: every result's intersection lies right of x_B, in the unit square)
// and while stepping:
//   NotConverged "staircase pinched at x = {x_n:.6} after {n} stages (R too close to
//                 R_min = {R_min:.6})"
//   NotConverged "exceeded 500 stages without reaching x_B = {x_B} — spec pinched"
//   any failure of equilibrium_step, unchanged
// Allocates only the result's two lists.
Result<McCabeThieleResult> mccabe_thiele(const EquilibriumCurve& curve,
                                         const McCabeThieleSpec& spec);

}  // namespace kolvar::engine
