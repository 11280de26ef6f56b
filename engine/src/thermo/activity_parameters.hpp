// An activity model's parameters between the caller's form (a matrix, or
// values by key) and the owned inputs of a system.
#pragma once

#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

#include <cstddef>
#include <optional>
#include <string_view>

namespace kolvar::engine {

// Fills `out` from the parameters given for `model`; `what` is the keyword
// that carried them ("parameters", "ge_parameters"). A matrix model takes a
// matrix, stored as given for the constructor's own checks, or nothing; a
// mapping is "activity model Wilson takes parameters as a matrix, not a
// mapping" ("... takes no parameters" for a model that reads none). A keyed
// model takes a mapping: "activity model NRTL takes parameters as a mapping
// with the keys \"a\", \"b\" and \"alpha\"" otherwise, and the mapping's
// checks, in order, each naming the key:
//   parameters of NRTL has an unknown key "c" (NRTL reads "a", "b" and "alpha")
//   parameters of NRTL has the key "a" twice
//   parameters of NRTL has no key "alpha" (NRTL reads "a", "b" and "alpha")
//   parameters["a"] must have 2 rows of 2 values, got a list
//   parameters["r"] must have 2 values, got 3 (or "got a matrix", "got a number")
//   parameters["a"][0][1] must be finite, got nan
//   parameters["alpha"][0][1] must be non-negative, got -0.2  (off the diagonal)
//   parameters["q"][1] must be positive, got 0
Result<void> take_parameters(thermo::ActivityModel model, std::string_view what,
                             const std::optional<ActivityParameters>& given, std::size_t n, ActivityData& out);

// The parameters that give `data` back through take_parameters: a keyed
// model's values by key in the model's order, a matrix model's matrix, or
// nothing for an empty matrix.
std::optional<ActivityParameters> given_parameters(thermo::ActivityModel model, const ActivityData& data);

}  // namespace kolvar::engine
