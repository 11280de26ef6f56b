// ThermoSystem.stable_flash, appended to ThermoSystem's methods, and the
// EquilibriumPhase class of its answer.
#pragma once

#include "toolkit/python.hpp"

namespace kolvar::bind {

PyMethodDef thermo_system_stable_flash_def();

}  // namespace kolvar::bind
