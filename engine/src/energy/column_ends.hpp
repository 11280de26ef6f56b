// The ends of a binary column as its energy balances read them: the saturated
// states at the top, at the bottom and of the feed, and the duties at a
// reflux ratio. column_energy and the enthalpy-composition design share them,
// so that both report the same duties for the same column.
#pragma once

#include "engine/column.hpp"
#include "engine/column/column_top.hpp"
#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

#include <optional>
#include <string_view>

namespace kolvar::engine::detail {

struct ColumnEnds {
    double distillate_rate = 0.0;  // D, kmol/h
    double bottoms_rate = 0.0;     // B, kmol/h
    ColumnTop top;
    double bottom_temperature = 0.0;  // bubble T of x_B, K
    double bottoms_enthalpy = 0.0;    // h_B = h_L(x_B), J/mol
    double feed_enthalpy = 0.0;       // h_F = q h_L(z_F) + (1 - q) H_V(z_F), J/mol
    double condenser_duty = 0.0;      // Q_C, kW
    double reboiler_duty = 0.0;       // Q_R, kW
};

// The checks every energy balance of a column makes first, in order:
// "{what} needs a binary system, got {n} components", the reflux ratio (when
// one is given) positive and finite (the messages of the McCabe-Thiele
// construction), "pressure must be positive and finite, got {P} kPa", "q must
// be finite, got {q}". All InvalidInput.
Result<void> check_balance_inputs(const ThermoSystem& system, const BinaryColumn& column,
                                  std::optional<double> reflux, std::string_view what);

// The height of the top difference point, h_D + Q_C/D in J/mol, at reflux R:
// total (R + 1)(H_V(x_D) - h_L(x_D)) + h_L(x_D); partial (R + 1) H_V(y_in) -
// R h_L(x_0), with y_in = (R x_0 + x_D)/(R + 1) and its dew point solved.
Result<double> top_difference_height(const ThermoSystem& system, double p, const ColumnTop& top, double reflux);

// The ends of a column that passed check_balance_inputs, its duties not yet
// set: the failures of the saturated states at the top and the bottom, then
// ThermoFailed "component order looks inverted: the distillate boils at
// {T_top:.2} K, not below the bottoms at {T_bottom:.2} K — list the more
// volatile component first", then the failures of the feed's enthalpy.
Result<ColumnEnds> column_states(const ThermoSystem& system, const BinaryColumn& column);

// column_states, then the duties at reflux R by column_duties: the failure
// of the partial condenser's inlet vapour, then ThermoFailed "the duties are
// no finite numbers: ...".
Result<ColumnEnds> column_ends(const ThermoSystem& system, const BinaryColumn& column, double reflux);

}  // namespace kolvar::engine::detail
