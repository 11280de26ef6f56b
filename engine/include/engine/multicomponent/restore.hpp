// Rebuilding a shortcut design from its parts, as a value read back from
// storage or from another process must be: every part is checked against
// what the design guarantees, and a value that breaks it is refused
// (InvalidInput naming it) rather than built.
#pragma once

#include "engine/error.hpp"
#include "engine/multicomponent/shortcut.hpp"

namespace kolvar::engine {

// The checks, in order:
//   n_min positive and finite; r_min finite and not negative; reflux finite
//   and above r_min; n_stages the Gilliland count of those three (bit for
//   bit); rectifying_stages in [0, n_stages] and feed_stage
//   round(rectifying_stages) + 1;
//   distillate, bottoms and alpha of one length, at least 2; each
//   composition of finite, non-negative entries summing to 1 within 1e-9;
//   rates positive and finite; temperatures positive and finite; alpha
//   positive and finite, with one entry exactly 1 (the heavy key) and one
//   above 1.
// Messages name the part: "{name} must be positive and finite, got {v}",
// "n_stages must be the Gilliland count {N} of n_min, r_min and reflux, got
// {v}", ...
Result<ShortcutResult> restore_shortcut(ShortcutResult parts);

}  // namespace kolvar::engine
