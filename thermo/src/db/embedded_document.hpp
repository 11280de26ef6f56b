// The text of components.json, compiled into the library by the build.
#pragma once

#include <string_view>

namespace kolvar::thermo::db {

// The document exactly as it ships beside the sources; defined in a source
// file that the build generates from components.json.
std::string_view embedded_components_json();

}  // namespace kolvar::thermo::db
