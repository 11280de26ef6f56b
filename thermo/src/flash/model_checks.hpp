// Checks of a system description made before any K-value arithmetic, so that
// nothing downstream reads past the end of a list or uses an unknown model.
#pragma once

#include "thermo/flash.hpp"

#include <cstddef>
#include <expected>

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

}  // namespace kolvar::thermo::flash
