// Dew points: the bubble-point solvers with the vapour as the known phase.
#pragma once

#include "thermo/flash.hpp"

#include <expected>
#include <span>

namespace kolvar::thermo {

// Dew pressure [kPa] at temperature T of the vapour y: bubble_pressure in the
// dew direction, with its failures (a converged K = 1 solution and
// non-finite K-values fail, never return). The point's `y` holds the
// incipient liquid x.
std::expected<IncipientPoint, ThermoError> dew_pressure(const SystemSpec& spec, double temperature,
                                                        std::span<const double> y, double tolerance,
                                                        unsigned max_iterations);

// Dew temperature [K] at pressure P of the vapour y: the grid scan and
// bisection of bubble_temperature on ln(Pdew(T)/P), then a final dew-direction
// evaluation; the same failures, the final-sum one reading "dew temperature".
// The point's `y` holds the incipient liquid x. The Newton path, its
// certification and the continuation of bubble_temperature apply with the
// vapour as the known phase (Pdew rising with T where the scan meets it).
std::expected<IncipientPoint, ThermoError> dew_temperature(const SystemSpec& spec, double pressure,
                                                           std::span<const double> y, double tolerance,
                                                           unsigned max_iterations);

}  // namespace kolvar::thermo
