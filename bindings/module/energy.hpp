// The energy methods: ThermoSystem.enthalpy and ThermoSystem.feed_quality,
// appended to ThermoSystem's methods, and Feed.from_conditions.
#pragma once

#include "toolkit/python.hpp"

#include <vector>

namespace kolvar::bind {

std::vector<PyMethodDef> thermo_system_energy_methods();
PyMethodDef feed_from_conditions_def();

}  // namespace kolvar::bind
