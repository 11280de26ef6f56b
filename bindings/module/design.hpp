// Module functions of the binary design.
#pragma once

#include "toolkit/python.hpp"

namespace kolvar::bind {

PyMethodDef rmin_def();
PyMethodDef mccabe_thiele_def();
PyMethodDef total_reflux_def();
PyMethodDef n_vs_r_def();

}  // namespace kolvar::bind
