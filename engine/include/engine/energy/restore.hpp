// Rebuilding the energy results from their parts, as a value read back from
// storage or from another process must be: each part is checked against
// what the constructions guarantee, and a value that breaks it is refused
// (InvalidInput naming it) rather than built.
#pragma once

#include "engine/energy/column_balance.hpp"
#include "engine/energy/ponchon_savarit.hpp"
#include "engine/error.hpp"

#include <cstdint>

namespace kolvar::engine {

// Rates, flows and temperatures positive and finite ("{name} must be positive
// and finite, got {v}"), duties finite ("{name} must be finite, got {v}"),
// and the flows balanced to 1e-9 of the flows: V - L = D ("the rectifying
// flows must balance: vapour_flow - reflux_flow = {V - L}, distillate_rate =
// {D}") and L' - V' = B ("the stripping flows must balance: ...").
Result<ColumnEnergy> restore_column_energy(const ColumnEnergy& parts);

// An index in [1, 500], x and y mole fractions, t and both flows positive and
// finite: "stage {index}: {name} must ..., got {v}".
Result<PonchonSavaritStage> restore_ponchon_savarit_stage(const PonchonSavaritStage& parts);

// A design: a column that validates, with compositions strictly inside
// (0, 1), a positive and finite pressure and a finite q; r_min finite and not
// negative, below a finite reflux; 1 to 500 stages numbered 1..N, each
// restorable, the first with y = x_D; N - 1 <= n_stages <= N and a feed stage
// in [1, N]; the column's own D and B (bit for bit); finite duties; a pinch
// in the unit square; the difference points at x_D and x_B with finite
// enthalpies.
Result<PonchonSavaritResult> restore_ponchon_savarit(PonchonSavaritResult parts);

}  // namespace kolvar::engine
