// The saturated enthalpies on the grid of a binary system's equilibrium curve.
#include "engine/energy/enthalpy_curve.hpp"

#include "thermo/enthalpy.hpp"

#include <array>
#include <utility>

namespace kolvar::engine {

Result<EnthalpyCurve> enthalpy_curve(const ThermoSystem& system, double pressure, std::uint64_t n_points,
                                     Interrupt interrupt)
{
    auto curve = curve_from_thermo(system, pressure, n_points, interrupt);
    if (!curve) return std::unexpected(std::move(curve.error()));
    const std::size_t n = curve->size();
    std::vector<double> liquid(n), vapour(n);
    // The sweep has checked the state: a positive pressure, positive and
    // finite temperatures, compositions of two mole fractions.
    const thermo::SystemSpec spec = system.spec();
    for (std::size_t i = 0; i < n; ++i) {
        const double x = curve->x()[i];
        const double y = curve->y()[i];
        const auto pair = thermo::coexisting_enthalpies(spec, curve->t()[i], pressure, std::array{x, 1.0 - x},
                                                        std::array{y, 1.0 - y});
        if (!pair) return thermo_failed(pair.error().text());
        liquid[i] = (*pair)[0];
        vapour[i] = (*pair)[1];
    }
    return EnthalpyCurve{std::move(*curve), std::move(liquid), std::move(vapour)};
}

}  // namespace kolvar::engine
