// The words for a pressure above the critical pressure of every component of
// a system, where no liquid can boil: most often a pressure given in Pa where
// kPa is meant.
#pragma once

#include "engine/thermo/system.hpp"

#include <optional>
#include <string>

namespace kolvar::engine {

// "above the critical pressure of every component (benzene 4895 kPa, toluene
// 4108 kPa); pressures are in kPa (one atmosphere is 101.325 kPa): a pressure
// in Pa is 1000 times too large" when `pressure` [kPa] exceeds every
// component's critical pressure; nothing otherwise.
std::optional<std::string> above_every_critical_pressure(const ThermoSystem& system, double pressure);

}  // namespace kolvar::engine
