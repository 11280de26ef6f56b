// Checks of a system description made before any K-value arithmetic, so that
// nothing downstream reads past the end of a list or uses an unknown model.
#pragma once

#include "thermo/flash.hpp"

#include <cstddef>
#include <expected>
#include <span>

namespace kolvar::thermo::flash {

// The known composition against the n components, as seen by the direction:
// "components=2, x=3, y=2" (bubble: x is the given composition, y has n
// entries; dew: the reverse).
std::expected<void, ThermoError> check_composition(std::size_t components, std::size_t composition_size,
                                                   Direction direction);

// In order: the K list has n entries; the models are declared variants, an
// equation of state for the phi-phi liquid and an equation-of-state vapour,
// an activity model for the gamma-phi liquid (a value cast into either enum
// from out of range is Unsupported); the activity model's inputs are large
// enough for n components.
std::expected<void, ThermoError> check_models(const SystemSpec& spec, std::size_t k_size);

// x divided by its sum into `out` (x.size() entries) when every entry is
// finite and non-negative and the sum is positive; otherwise DimensionMismatch
// "composition must be finite and non-negative with a positive sum".
std::expected<void, ThermoError> normalised_composition(std::span<const double> x, std::span<double> out);

// One equation of state for both phases (a phi-phi liquid on the vapour's
// equation), so that the phases may share a root.
bool one_equation_of_state(const SystemSpec& spec);

}  // namespace kolvar::thermo::flash
