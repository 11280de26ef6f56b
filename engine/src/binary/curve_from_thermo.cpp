#include "engine/binary/curve_from_thermo.hpp"

#include "kolvar/format.hpp"

#include <array>
#include <cmath>
#include <vector>

namespace kolvar::engine {

Result<EquilibriumCurve> curve_from_thermo(const ThermoSystem& system, double pressure, std::uint64_t n_points,
                                           Interrupt interrupt)
{
    const std::size_t n_components = system.components().size();
    if (n_components != 2) {
        return invalid_input(format::text("equilibrium curve needs a binary system, got ",
                                          static_cast<std::uint64_t>(n_components), " components"));
    }
    if (auto ok = check_point_count(n_points); !ok) return std::unexpected(std::move(ok.error()));

    std::vector<double> x, y, t;
    for (std::uint64_t i = 0; i < n_points; ++i) {
        if (auto going = interrupt.check(); !going) return std::unexpected(std::move(going.error()));
        const double x_i = grid_point(i, n_points);
        const std::array<double, 2> liquid{x_i, 1.0 - x_i};
        auto point = system.bubble_temperature(pressure, liquid);
        if (!point) return std::unexpected(std::move(point.error()));
        const double temperature = point->value;
        const double y_i = i == 0 ? 0.0 : i + 1 == n_points ? 1.0 : point->y[0];
        // A non-finite sample would silently spoil every design made on the curve.
        if (!std::isfinite(temperature) || !std::isfinite(y_i)) {
            return thermo_failed(format::text("non-finite bubble point at x = ", format::Fixed{x_i, 3}, ": T = ",
                                              temperature, " K, y* = ", y_i));
        }
        x.push_back(x_i);
        y.push_back(y_i);
        t.push_back(temperature);
    }
    if (x[1] >= y[1]) {
        return thermo_failed(format::text("component order looks inverted: y*(", format::Fixed{x[1], 3}, ") = ",
                                          format::Fixed{y[1], 4}, " ≤ x — list the more volatile component first"));
    }
    return EquilibriumCurve::from_samples(std::move(x), std::move(y), std::move(t), pressure);
}

}  // namespace kolvar::engine
