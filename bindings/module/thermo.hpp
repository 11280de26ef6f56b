// The thermodynamic system's part of the module.
#pragma once

#include "toolkit/python.hpp"

namespace kolvar::bind {

PyMethodDef curve_from_thermo_def();
PyMethodDef smoke_bubble_temperature_def();
PyObject* make_thermo_system_class();

}  // namespace kolvar::bind
