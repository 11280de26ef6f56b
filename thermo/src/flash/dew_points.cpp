#include "thermo/dew_point.hpp"

#include "flash/general_solvers.hpp"

namespace kolvar::thermo {

std::expected<IncipientPoint, ThermoError> dew_pressure(const SystemSpec& spec, double temperature,
                                                        std::span<const double> y, double tolerance,
                                                        unsigned max_iterations)
{
    return bubble_pressure(spec, temperature, y, Direction::Dew, tolerance, max_iterations);
}

std::expected<IncipientPoint, ThermoError> dew_temperature(const SystemSpec& spec, double pressure,
                                                           std::span<const double> y, double tolerance,
                                                           unsigned max_iterations)
{
    return flash::point_temperature(spec, pressure, y, Direction::Dew, tolerance, max_iterations);
}

}  // namespace kolvar::thermo
