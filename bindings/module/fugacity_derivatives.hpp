// ThermoSystem.ln_phi_derivatives, appended to ThermoSystem's methods, and the
// FugacityDerivatives class of its answer.
#pragma once

#include "toolkit/python.hpp"

namespace kolvar::bind {

PyMethodDef thermo_system_ln_phi_derivatives_def();

}  // namespace kolvar::bind
