// Rebuilding the binary design's values from their parts, as a value read
// back from storage or from another process must be: every part is checked
// against the invariants the constructions guarantee, and a value that breaks
// one is refused (InvalidInput naming it) rather than built. The parts of a
// value that a construction leaves unconstrained (a feed's numbers, a curve's
// temperatures and pressure) are taken as they come.
#pragma once

#include "engine/binary/mccabe_thiele.hpp"
#include "engine/binary/point.hpp"
#include "engine/binary/rmin.hpp"
#include "engine/binary/total_reflux.hpp"
#include "engine/error.hpp"

#include <cstdint>

namespace kolvar::engine {

// 0 (Total) or 1 (Partial): "condenser kind must be 0 or 1, got {value}".
Result<CondenserKind> restore_condenser(std::uint64_t value);

// Both numbers finite: "line must have a finite slope and intercept, got {slope} and {intercept}".
Result<Line> restore_line(double slope, double intercept);

// An index in [1, 500] ("stage index must lie in [1, 500], got {index}") and
// a finite corner ("stage {index} must have a finite corner, got ({x}, {y})")
// of two mole fractions ("stage {index} must have its corner in the unit
// square, got ({x}, {y})").
Result<StagePoint> restore_stage(std::uint64_t index, double x, double y);

// r_min finite and not negative ("minimum reflux must be finite and not
// negative, got {r_min}"), pinch and feed point finite ("{pinch|feed point}
// must be finite, got ({x}, {y})") and pairs of mole fractions, as every
// point of a construction is ("{pinch|feed point} must lie in the unit
// square, got ({x}, {y})").
Result<RminResult> restore_rmin(double r_min, Point pinch, bool tangent, Point feed_point);

// The checks of check_spec.
Result<McCabeThieleSpec> restore_spec(const McCabeThieleSpec& spec);

// A construction: a valid spec; the parts of restore_rmin and restore_stage;
// a minimum reflux below R; the operating lines and intersection of the spec
// (bit for bit), meeting right of x_B within the unit square; the stages and staircase of a
// staircase starting at x_D (below); a fractional count
// N - 1 <= n_stages <= N and a feed stage in [1, N].
Result<McCabeThieleResult> restore_design(McCabeThieleResult parts);

// A total-reflux construction: the stages and staircase of a staircase that
// steps against the diagonal (each corner's vapour is the previous corner's
// liquid) and N - 1 <= n_min <= N.
//
// Both staircases: N = len(stages) in [1, 500], stage k numbered k, and the
// staircase holding exactly the 2N points (y_1, y_1), (x_1, y_1), (x_1, y_2),
// (x_2, y_2), ..., (x_N, y_N) of the corners (x_k, y_k).
Result<TotalRefluxResult> restore_total_reflux(TotalRefluxResult parts);

}  // namespace kolvar::engine
