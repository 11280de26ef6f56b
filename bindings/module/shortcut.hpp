// The multicomponent shortcut design's module function.
#pragma once

#include "toolkit/python.hpp"

namespace kolvar::bind {

PyMethodDef shortcut_def();

}  // namespace kolvar::bind
