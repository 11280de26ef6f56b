// The enthalpy-composition diagram of a binary system at one pressure,
// sampled on the grid of its equilibrium curve: at each bubble point of the
// sweep, the saturated liquid's enthalpy h_L(x_i) and that of the vapour in
// equilibrium with it, H_V(y_i), both at the bubble temperature T_i (which
// is the dew temperature of y_i). Each sample is a tie line from (x_i, h_L)
// to (y_i, H_V); between samples both ends move linearly, as the curve's
// queries interpolate.
#pragma once

#include "engine/binary/curve_from_thermo.hpp"
#include "engine/binary/equilibrium.hpp"
#include "engine/error.hpp"
#include "engine/interrupt.hpp"
#include "engine/thermo/system.hpp"

#include <cstdint>
#include <vector>

namespace kolvar::engine {

struct EnthalpyCurve {
    EquilibriumCurve curve;      // x, y*, T and the pressure
    std::vector<double> liquid;  // h_L(x_i) at T_i, J/mol
    std::vector<double> vapour;  // H_V(y_i) at T_i, J/mol
};

// The sweep of curve_from_thermo (its failures, unchanged, and `interrupt`
// asked before every grid point), then the two enthalpies at every sample:
// the failures of ThermoSystem::enthalpy, whose values these are.
Result<EnthalpyCurve> enthalpy_curve(const ThermoSystem& system, double pressure,
                                     std::uint64_t n_points = binary_limits::default_curve_points,
                                     Interrupt interrupt = {});

}  // namespace kolvar::engine
