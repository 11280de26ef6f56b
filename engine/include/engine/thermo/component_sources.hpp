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

// At most max_components sources (check_component_count), checked first.
Result<std::vector<thermo::Component>> resolve_components(std::span<const ComponentSource> sources);

// InvalidInput "a system takes at most 100 components, got {n}" above max_components.
Result<void> check_component_count(std::size_t n);

}  // namespace kolvar::engine
