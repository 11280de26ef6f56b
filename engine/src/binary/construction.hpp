// The McCabe-Thiele construction shared by mccabe_thiele and the reflux sweep.
#pragma once

#include "engine/binary/mccabe_thiele.hpp"

namespace kolvar::engine::detail {

// Runs the whole construction for out.spec and fills every other field of
// `out`. With record = false the stage and staircase lists are left as they
// are (nothing is appended), which spares the sweep their allocation; the
// numbers and the failures are the same either way. `known_minimum`, when not
// null, is the successful minimum-reflux analysis of out.spec's compositions
// and q, which a sweep over reflux ratios computes once; null runs it here.
Result<void> construct(const EquilibriumCurve& curve, McCabeThieleResult& out, bool record,
                       const RminResult* known_minimum);

}  // namespace kolvar::engine::detail
