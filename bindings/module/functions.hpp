// Module-level functions of kolvar._engine.
#pragma once

#include "toolkit/python.hpp"

namespace kolvar::bind {

// The package version, given by the build from the project's one version number.
inline constexpr const char* version_text = KOLVAR_VERSION;

PyMethodDef version_def();

}  // namespace kolvar::bind
