// The top of a column as its energy balance reads it: the saturated states
// of the distillate, the reflux and the vapour entering the condenser, for a
// total or a partial condenser and any number of components.
//
// Units: enthalpies in J/mol (relative to the pure ideal gases at 298.15 K),
// temperatures in K, pressures in kPa, flows in kmol/h.
#pragma once

#include "engine/interrupt.hpp"

#include "engine/column.hpp"
#include "engine/column/energy_balance.hpp"
#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

#include <span>
#include <vector>

namespace kolvar::engine {

// The top of the column apart from the reflux ratio.
struct ColumnTop {
    CondenserKind condenser = CondenserKind::Total;
    std::vector<double> distillate;     // x_D
    double temperature = 0.0;           // bubble T of x_D, or its dew T with a partial condenser
    double distillate_enthalpy = 0.0;   // h_D: h_L(x_D), or H_V(x_D) with a partial condenser
    std::vector<double> reflux_liquid;  // x_0: x_D, or the liquid in equilibrium with the vapour x_D
    double reflux_enthalpy = 0.0;       // h_L(x_0)
    double overhead_enthalpy = 0.0;     // total condenser: H_V(x_D), the vapour it condenses
};

// The saturated states at the top at pressure p. A total condenser turns the
// vapour x_D into its bubble-point liquid: the failures of bubble_enthalpy,
// then of dew_enthalpy, of x_D. A partial one returns as reflux the liquid in
// equilibrium with the distillate vapour, at its dew temperature: the
// failures of dew_enthalpy, then of the reflux's enthalpy. The last fraction
// of x_0 is taken as one less the others, so that it sums to one.
// `interrupt` is asked by the saturation points, as there.
Result<ColumnTop> column_top(const ThermoSystem& system, double p, std::span<const double> distillate,
                             CondenserKind condenser, Interrupt interrupt = {});

// H_V of the vapour entering the condenser at reflux R: a total condenser's
// overhead H_V(x_D); into a partial one the vapour y_in = (R x_0 + x_D)/(R + 1)
// (its last fraction one less the others) at its dew point, with the
// failures of dew_enthalpy.
Result<double> condenser_inlet_enthalpy(const ThermoSystem& system, double p, const ColumnTop& top, double reflux);

// The condenser's streams at reflux R and distillate rate D: V = (R + 1) D
// of enthalpy `inlet_enthalpy`, L = R D at h_L(x_0), D at h_D.
Overhead overhead_streams(const ColumnTop& top, double reflux, double distillate, double inlet_enthalpy);

}  // namespace kolvar::engine
