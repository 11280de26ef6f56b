// The general bubble-point procedures, which take every liquid and vapour
// description: successive substitution on P at a given temperature, and a
// grid scan with bisection on T at a given pressure. The public solvers run
// them whenever their Newton fast path does not apply or does not certify its
// answer; their results, failures and messages are those the public solvers
// document.
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

// incipient_temperature (pressure_solver.hpp) in the bubble direction.
inline std::expected<IncipientPoint, ThermoError> scan_bubble_temperature(const SystemSpec& spec, double pressure,
                                                                          std::span<const double> x,
                                                                          double tolerance, unsigned max_iterations)
{
    return incipient_temperature(spec, pressure, x, Direction::Bubble, tolerance, max_iterations);
}

}  // namespace kolvar::thermo::flash
