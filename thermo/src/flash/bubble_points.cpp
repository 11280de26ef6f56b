// The public bubble-point solvers: the certified Newton fast path where the
// mixture allows it, the general procedures otherwise, and continuation when
// those fail (or return the K = 1 solution) where a genuine bubble point may
// still exist.
#include "flash/bubble_newton.hpp"
#include "flash/general_bubble_solvers.hpp"
#include "kolvar/format.hpp"

namespace kolvar::thermo {
namespace {

ThermoError trivial_solution(const char* quantity, double value, const char* unit)
{
    return ThermoError::evaluation(
        format::text("trivial solution at ", quantity, " = ", value, " ", unit,
                     ": liquid and vapour on the same root (K = 1)"));
}

}  // namespace

std::expected<IncipientPoint, ThermoError> bubble_pressure(const SystemSpec& spec, double temperature,
                                                           std::span<const double> x, Direction direction,
                                                           double tolerance, unsigned max_iterations)
{
    if (direction == Direction::Dew)
        return flash::substitution_bubble_pressure(spec, temperature, x, direction, tolerance, max_iterations);
    if (auto fast = flash::certified_bubble_pressure(spec, temperature, x, tolerance, max_iterations))
        return std::move(*fast);
    auto general = flash::substitution_bubble_pressure(spec, temperature, x, direction, tolerance, max_iterations);
    const bool trivial = general && flash::on_one_root(spec, temperature, general->value, x, *general);
    if (general && !trivial) return general;
    if (auto found = flash::continued_bubble_pressure(spec, temperature, x, tolerance, max_iterations))
        return std::move(*found);
    if (trivial) return std::unexpected(trivial_solution("P", general->value, "kPa"));
    return general;
}

std::expected<IncipientPoint, ThermoError> bubble_temperature(const SystemSpec& spec, double pressure,
                                                              std::span<const double> x, double tolerance,
                                                              unsigned max_iterations)
{
    if (auto fast = flash::certified_bubble_temperature(spec, pressure, x, tolerance, max_iterations))
        return std::move(*fast);
    auto general = flash::scan_bubble_temperature(spec, pressure, x, tolerance, max_iterations);
    const bool trivial = general && flash::on_one_root(spec, general->value, pressure, x, *general);
    if (general && !trivial) return general;
    if (auto found = flash::continued_bubble_temperature(spec, pressure, x, tolerance, max_iterations))
        return std::move(*found);
    if (trivial) return std::unexpected(trivial_solution("T", general->value, "K"));
    return general;
}

}  // namespace kolvar::thermo
