// Module-level functions of kolvar._engine.
#pragma once

#include "toolkit/python.hpp"

namespace kolvar::bind {

inline constexpr const char* version_text = "0.1.0";

PyMethodDef version_def();

}  // namespace kolvar::bind
