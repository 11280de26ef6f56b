#include "module/functions.hpp"

#include "toolkit/callable.hpp"

#include <string>

namespace kolvar::bind {
namespace {

const auto version_function = function(
    "version", "Return the engine's version string.", [] { return std::string(version_text); });

}  // namespace

PyMethodDef version_def() { return def<version_function>(); }

}  // namespace kolvar::bind
