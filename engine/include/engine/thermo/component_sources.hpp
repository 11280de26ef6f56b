// Components of a system from their sources: database names looked up in
// order (a miss is ThermoFailed with the lookup message), constants checked
// (a bad one is InvalidInput naming the compound, the key and the value).
// The first failure wins.
#pragma once

#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

#include <span>
#include <vector>

namespace kolvar::engine {

Result<std::vector<thermo::Component>> resolve_components(std::span<const ComponentSource> sources);

}  // namespace kolvar::engine
