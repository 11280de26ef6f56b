// The McCabe-Thiele construction shared by mccabe_thiele and the reflux sweep.
#pragma once

#include "engine/binary/mccabe_thiele.hpp"

namespace kolvar::engine::detail {

// Runs the whole construction for out.spec and fills every other field of
// `out`. With record = false the stage and staircase lists are left as they
// are (nothing is appended), which spares the sweep their allocation; the
// numbers and the failures are the same either way.
Result<void> construct(const EquilibriumCurve& curve, McCabeThieleResult& out, bool record);

}  // namespace kolvar::engine::detail
