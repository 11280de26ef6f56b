// The general bubble- and dew-point procedures, which take every liquid and
// vapour description: successive substitution on P at a given temperature
// (defined with the pressure iteration), and the grid scan with bisection on
// T at a given pressure (incipient_temperature, pressure_solver.hpp). The
// public solvers run them whenever their Newton fast path does not apply or
// does not certify its answer.
#pragma once

#include "flash/pressure_solver.hpp"
#include "thermo/flash.hpp"

#include <expected>
#include <span>

namespace kolvar::thermo::flash {

std::expected<IncipientPoint, ThermoError> substitution_bubble_pressure(const SystemSpec& spec, double temperature,
                                                                        std::span<const double> x,
                                                                        Direction direction, double tolerance,
                                                                        unsigned max_iterations);

// incipient_temperature in the bubble direction.
inline std::expected<IncipientPoint, ThermoError> scan_bubble_temperature(const SystemSpec& spec, double pressure,
                                                                          std::span<const double> x,
                                                                          double tolerance, unsigned max_iterations)
{
    return incipient_temperature(spec, pressure, x, Direction::Bubble, tolerance, max_iterations);
}

// The public solvers for either direction: the fast path, the general
// procedure and the resolution of its result (incipient_points.cpp).
// bubble_pressure, bubble_temperature, dew_pressure and dew_temperature are
// these in their directions.
std::expected<IncipientPoint, ThermoError> point_pressure(const SystemSpec& spec, double temperature,
                                                          std::span<const double> composition, Direction direction,
                                                          double tolerance, unsigned max_iterations);
std::expected<IncipientPoint, ThermoError> point_temperature(const SystemSpec& spec, double pressure,
                                                             std::span<const double> composition,
                                                             Direction direction, double tolerance,
                                                             unsigned max_iterations);

}  // namespace kolvar::thermo::flash
