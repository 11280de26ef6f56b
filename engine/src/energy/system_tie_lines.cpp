// Tie lines from the system's own bubble and dew points.
#include "system_tie_lines.hpp"

#include "thermo/enthalpy.hpp"

#include <array>

namespace kolvar::engine::detail {
namespace {

Result<ExactTie> tie(const ThermoSystem& system, double p, double t, double x, double y)
{
    const auto pair =
        thermo::coexisting_enthalpies(system.spec(), t, p, std::array{x, 1.0 - x}, std::array{y, 1.0 - y});
    if (!pair) return thermo_failed(pair.error().text());
    return ExactTie{{x, (*pair)[0], y, (*pair)[1]}, t};
}

}  // namespace

Result<ExactTie> SystemTieLines::of_liquid(double x) const
{
    const auto point = system_.bubble_temperature(pressure_, std::array{x, 1.0 - x});
    if (!point) return std::unexpected(point.error());
    return tie(system_, pressure_, point->value, x, point->y[0]);
}

Result<ExactTie> SystemTieLines::of_vapour(double y) const
{
    const auto point = system_.dew_temperature(pressure_, std::array{y, 1.0 - y});
    if (!point) return std::unexpected(point.error());
    return tie(system_, pressure_, point->value, point->y[0], y);
}

}  // namespace kolvar::engine::detail
