// The minimum reflux of the enthalpy-composition design: the least height of
// the top difference point that every tie line lets pass, and the reflux
// ratio that puts the point there.
#pragma once

#include "column_ends.hpp"
#include "system_tie_lines.hpp"
#include "tie_lines.hpp"

#include "engine/binary/point.hpp"

namespace kolvar::engine::detail {

struct TopMinimum {
    double height = 0.0;  // J/mol
    Point pinch;          // the tie line (x, y) that sets it
};

// The highest of the bounds: each tie line from the feed's up to x_D,
// extended to x_D; each from x_B up to the feed's, extended to x_B and
// carried to x_D through the feed point (z_F, h_F). The sampled diagram
// finds the controlling tie lines (and refuses, as ponchon_savarit.hpp
// says, when no tie line passes through the feed point or a tie line of
// either side does not lean toward the vapour); the system's own tie lines
// then settle them: the feed's by a secant on its side of the feed point,
// an interior extreme by successive parabolas. The failures of the bubble
// points and enthalpies follow.
Result<TopMinimum> minimum_top_height(const TieLines& lines, const SystemTieLines& system,
                                      const BinaryColumn& column, double feed_enthalpy);

// The reflux ratio whose top difference point has `height`, 0 when the
// point lies at or below the one of no reflux: closed form with a total
// condenser; with a partial one the secant method on
// top_difference_height, to 1e-12 relative, at most 50 iterations.
Result<double> reflux_for_height(const ThermoSystem& system, double p, const ColumnTop& top, double height);

}  // namespace kolvar::engine::detail
