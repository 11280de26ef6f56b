// The thermodynamic system's module function.
#pragma once

#include "toolkit/python.hpp"

namespace kolvar::bind {

PyMethodDef smoke_bubble_temperature_def();

}  // namespace kolvar::bind
