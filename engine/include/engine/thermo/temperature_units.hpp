// The words for a temperature no liquid of a system can have: most often a
// temperature in °C given where K is meant, or a column run at a pressure in
// bar given where kPa is meant.
#pragma once

#include "engine/thermo/system.hpp"

#include <optional>
#include <string>

namespace kolvar::engine {

// "74 K is below benzene's melting point (278.7 K)" when `t` [K] lies below
// the melting point of every component (all of them known), naming the
// highest; else "74 K is below 0.3·T_c of every component (benzene 168.6 K,
// toluene 177.5 K)" when it lies below that of each (the temperature to 5
// significant digits); nothing otherwise, and
// nothing for a temperature that is not a finite positive number (the
// questions refuse those themselves).
std::optional<std::string> implausible_temperature(const ThermoSystem& system, double t);

}  // namespace kolvar::engine
