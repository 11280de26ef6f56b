// The enthalpy-balanced (Ponchon-Savarit) design of a binary two-product
// column: no constant molar overflow, the stages stepped on the system's own
// tie lines and enthalpies (its dew and bubble points, not a sampled
// diagram) with the column's difference points. The sampled diagram
// (enthalpy_curve.hpp, on the grid of the default equilibrium curve) only
// says where to look: each stage starts from its crossing there and is
// settled by secant steps on the bubble point of its liquid to 1e-13 (a
// liquid names one tie line, where a vapour's dew point may name several).
//
// In the enthalpy-composition plane (x, h):
//   - the saturated-liquid line h_L(x) and the saturated-vapour line H_V(y);
//   - the top difference point at x_D with the height h_D + Q_C/D, and the
//     bottom one at x_B on the line through the top point and the feed point
//     (z_F, h_F), h_F = q h_L(z_F) + (1 - q) H_V(z_F). The duties are those
//     of column_energy at the same reflux (column_balance.hpp).
// Stepping runs top-down as the McCabe-Thiele construction does: y_1 = x_D
// (with a partial condenser the condenser is stage 1); from each y_n the tie
// line gives x_n; the line through the active difference point and
// (x_n, h_L(x_n)) meets the vapour line at y_{n+1}. The steps switch to the
// bottom difference point on the first stage whose x_n lies at or left of
// the x where the line joining the difference points crosses the liquid
// line. The reboiler counts as a stage and the last stage is fractional by x
// distance. At constant molar overflow (equal, constant latent heats, no
// sensible heat) every line here is the McCabe-Thiele one.
//
// The minimum reflux is the one at which the top difference point reaches
// the highest of the bounds set by the tie lines: each rectifying tie line
// (liquid end between the feed's tie line and x_D) extended to x = x_D, and
// each stripping tie line (between x_B and the feed's) extended to x = x_B,
// carried to x_D through the feed point. The sampled diagram finds the
// controlling tie lines; the system's own settle them (the feed's by a
// secant on bubble points, an interior extreme by successive parabolas), so
// a tangent pinch counts as a feed pinch does and R_min is that of the
// system's tie lines, at any q.
#pragma once

#include "engine/binary/point.hpp"
#include "engine/column.hpp"
#include "engine/error.hpp"
#include "engine/interrupt.hpp"
#include "engine/thermo/system.hpp"

#include <cstdint>
#include <vector>

namespace kolvar::engine {

struct PonchonSavaritStage {
    std::uint64_t index = 0;    // 1-based from the top
    double x = 0.0;             // liquid leaving the stage
    double y = 0.0;             // vapour leaving the stage
    double t = 0.0;             // stage temperature, the bubble temperature of x, K
    double liquid_flow = 0.0;   // liquid leaving the stage, kmol/h
    double vapour_flow = 0.0;   // vapour leaving the stage, kmol/h

    friend bool operator==(const PonchonSavaritStage&, const PonchonSavaritStage&) = default;
};

struct PonchonSavaritResult {
    BinaryColumn column;
    double reflux = 0.0;  // R = L_0/D
    // Fractional stage count, the reboiler included (and the condenser when
    // it is partial), as the McCabe-Thiele construction counts.
    double n_stages = 0.0;
    std::vector<PonchonSavaritStage> stages;
    std::uint64_t feed_stage = 0;
    double r_min = 0.0;
    Point pinch;                  // the controlling tie line (x, y)
    double condenser_duty = 0.0;  // kW
    double reboiler_duty = 0.0;   // kW
    double distillate_rate = 0.0;  // kmol/h
    double bottoms_rate = 0.0;     // kmol/h
    Point top_difference_point;     // (x_D, h_D + Q_C/D), enthalpy in J/mol
    Point bottom_difference_point;  // (x_B, h_B - Q_R/B)
};

// The design of `column` at reflux R. Failures, in order:
//   the checks of column_energy, with "the enthalpy-composition design" as
//   the subject of the binary-system message;
//   InvalidInput "{x_D|x_B|z_F} must be strictly inside (0, 1), got {value}";
//   the saturated states of column_energy, then the sweep of enthalpy_curve
//   at the column pressure (`interrupt` is asked between its points);
//   Infeasible "no tie line passes through the feed point (z_F = {z}, h_F =
//   {h} J/mol)";
//   Infeasible "x_D = {x_D} is unreachable at any reflux (a tie line at or
//   below the diagonal above the feed — azeotrope?)" and "x_B = {x_B} is
//   unreachable at any boilup (a tie line at or below the diagonal below
//   the feed — azeotrope?)";
//   the failures of the bubble points and enthalpies of the tie lines that
//   set the minimum, then NotConverged "the tie line through the feed point
//   did not settle";
//   NotConverged "the minimum reflux did not settle in 50 iterations"
//   (partial condenser);
//   NotConverged "R = {R} ≤ R_min = {R_min:.6}: the staircase pinches before
//   reaching x_B", as the McCabe-Thiele construction words it;
// and while stepping, the failures of the dew points and enthalpies, and
// with the construction's texts:
//   NotConverged "staircase pinched at x = {x_n:.6} after {n} stages (R too
//   close to R_min = {R_min:.6})"
//   NotConverged "exceeded 500 stages without reaching x_B = {x_B} — spec pinched"
Result<PonchonSavaritResult> ponchon_savarit(const ThermoSystem& system, const BinaryColumn& column, double reflux,
                                             Interrupt interrupt = {});

// The minimum reflux of ponchon_savarit for `column`, no reflux asked: the
// same number as its result's r_min at any reflux. Its failures are those of
// ponchon_savarit in their order, less the reflux's checks, the duties and
// the stepping.
Result<double> ponchon_savarit_min_reflux(const ThermoSystem& system, const BinaryColumn& column,
                                          Interrupt interrupt = {});

}  // namespace kolvar::engine
