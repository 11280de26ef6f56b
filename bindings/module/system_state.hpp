// How a ThermoSystem travels: its state is (components, model), the
// components as lists of constants (the mappings the general constructors
// accept) and the model as the tuple of the constructor that made the system
// and that constructor's arguments after the components, in order:
//
//   ("peng_robinson",)
//   ("van_laar", a12, a21)
//   ("cubic", eos, mixing_rule, kij, ge_model, ge_parameters, eos_parameters, solubility)
//   ("activity", model, parameters, vapour, saturation, poynting, solubility)
//   ("ideal_solution", vapour, saturation)
//   ("grayson_streed", vapour)
//
// with the constructors' names and None for what was left out; parameters
// given by key (NRTL, UNIQUAC) travel as a dict, so the tuples keep the
// lengths they had before those models. The system is made again through
// that constructor's checks.
#pragma once

#include "toolkit/class.hpp"

#include "engine/thermo/system.hpp"

namespace kolvar::bind {

// Declares the state and rebuild of the ThermoSystem class, and its plain
// data: to_dict() names the model tuple's items by the constructor's
// parameters, {"components": names, "model": {"constructor": "cubic", "eos":
// ..., ...}, "constants": [...]}, and the static from_dict() reads that back
// through the same conversions and checks as a pickle.
void declare_travel(ClassSpec<engine::ThermoSystem>& spec);

}  // namespace kolvar::bind
