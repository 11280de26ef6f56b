// The energy methods: ThermoSystem.enthalpy, ThermoSystem.feed_quality and
// the private ThermoSystem._implausible_temperature,
// appended to ThermoSystem's methods, and Feed.from_conditions; the module's
// private energy functions _column_energy, _ponchon_savarit,
// _ponchon_savarit_min_reflux and _enthalpy_curve (their result classes are
// in energy_results.cpp); and _stage_table (stage_table.cpp).
#pragma once

#include "toolkit/python.hpp"

#include <vector>

namespace kolvar::bind {

std::vector<PyMethodDef> thermo_system_energy_methods();
PyMethodDef feed_from_conditions_def();
PyMethodDef column_energy_def();
PyMethodDef ponchon_savarit_def();
PyMethodDef enthalpy_curve_def();
PyMethodDef ponchon_savarit_min_reflux_def();
PyMethodDef stage_table_def();

}  // namespace kolvar::bind
