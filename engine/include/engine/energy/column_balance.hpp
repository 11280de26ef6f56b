// The flows and duties of a binary two-product column at constant molar
// overflow, from the enthalpies of its system: the section flows, the
// temperatures at the two ends, and the condenser and reboiler duties.
//
// Units: flows in kmol/h, enthalpies in J/mol (= kJ/kmol), duties in kW.
#pragma once

#include "engine/column.hpp"
#include "engine/column/energy_balance.hpp"
#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

namespace kolvar::engine {

struct ColumnEnergy {
    double distillate_rate = 0.0;        // D, kmol/h
    double bottoms_rate = 0.0;           // B, kmol/h
    double reflux_flow = 0.0;            // L = R D
    double vapour_flow = 0.0;            // V = (R + 1) D, the rectifying section's vapour
    double stripping_liquid_flow = 0.0;  // L' = L + q F
    double boilup = 0.0;                 // V' = V - (1 - q) F
    double top_temperature = 0.0;        // bubble T of x_D (dew T with a partial condenser), K
    double bottom_temperature = 0.0;     // bubble T of x_B, K
    double condenser_duty = 0.0;         // heat removed, kW
    double reboiler_duty = 0.0;          // heat added, kW
};

// The column's flows at reflux R and its duties. The enthalpies are those of
// saturated phases at the column pressure, each at its own saturation
// temperature: h_L(x) at the bubble point of x, H_V(y) at the dew point of y.
//   total condenser:   Q_C = V [H_V(x_D) - h_L(x_D)] / 3600
//   partial condenser: x_0 the liquid in equilibrium with the distillate
//                      vapour x_D, y_in = (R x_0 + x_D)/(R + 1) the vapour
//                      entering the condenser, and
//                      Q_C = [V H_V(y_in) - L h_L(x_0) - D H_V(x_D)] / 3600
//   reboiler:          F h_F + 3600 Q_R = D h_D + B h_B + 3600 Q_C with
//                      h_F = q h_L(z_F) + (1 - q) H_V(z_F), h_D = h_L(x_D)
//                      (H_V(x_D) with a partial condenser), h_B = h_L(x_B).
// Checks, in order, each InvalidInput unless noted:
//   "the column's energy balance needs a binary system, got {n} components"
//   "reflux ratio must be positive, got {R}", "reflux ratio must be finite, got {R}"
//   "pressure must be positive and finite, got {P} kPa"
//   "q must be finite, got {q}"
//   Infeasible "the stripping section has no liquid at R = {R}: L' = L + q F =
//   {L'} kmol/h for q = {q}" (and "... no vapour ...: V' = V - (1 - q) F = ...")
// then the saturation points and enthalpies (ThermoFailed, naming the
// composition that has no bubble or dew point at the pressure), and
// ThermoFailed "component order looks inverted: the distillate boils at
// {T:.2} K, not below the bottoms at {T:.2} K — list the more volatile
// component first".
Result<ColumnEnergy> column_energy(const ThermoSystem& system, const BinaryColumn& column, double reflux);

}  // namespace kolvar::engine
