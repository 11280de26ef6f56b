// A binary column's feed from its temperature and pressure.
#pragma once

#include "engine/column.hpp"
#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

namespace kolvar::engine {

// Feed{rate, z, q} with q = system.feed_quality(t, p, [z, 1 - z]). Checks
// first, each InvalidInput: "a feed from its conditions needs a binary
// system, got {n} components"; "feed rate must be positive and finite, got
// {rate} kmol/h"; "z_F must be a mole fraction in [0, 1], got {z}". Then the
// failures of feed_quality.
Result<Feed> feed_from_conditions(const ThermoSystem& system, double rate, double z, double t, double p);

}  // namespace kolvar::engine
