// The energy balance of a column, written once for every column the engine
// designs or rates: the condenser's duty from its own streams, and the
// reboiler's from the balance over the whole column,
//   sum F h_F + Q_R = D h_D + B h_B + sum S h_S + Q_C,
// and the section flows of a column at constant molar overflow.
//
// Units: flows in kmol/h, enthalpies in J/mol (= kJ/kmol), duties in kW.
#pragma once

#include "engine/column.hpp"
#include "engine/error.hpp"

#include <span>

namespace kolvar::engine {

// kJ/h in one kW: a flow [kmol/h] times an enthalpy [J/mol] is a heat flow in
// kJ/h, and over this a duty in kW.
inline constexpr double kilojoules_per_hour_per_kilowatt = 3600.0;

// A stream that crosses the column's boundary or the condenser's.
struct Stream {
    double rate = 0.0;      // kmol/h
    double enthalpy = 0.0;  // J/mol
};

// The condenser's streams: the vapour it takes from the top stage, the
// reflux it returns and the distillate it delivers.
struct Overhead {
    CondenserKind condenser = CondenserKind::Total;
    Stream vapour;      // V and H_V of the vapour entering the condenser
    Stream reflux;      // L and h_L of the reflux
    Stream distillate;  // D and h_D
};

struct Duties {
    double condenser = 0.0;  // Q_C, heat removed, kW
    double reboiler = 0.0;   // Q_R, heat added, kW
};

// Q_C and Q_R of a column. A total condenser turns its whole vapour into
// liquid of the distillate's state, Q_C = V (H_V - h_D) (the reflux is not
// read); a partial one Q_C = V H_V - L h_L - D h_D. Then Q_R from the balance
// above, with the bottoms and every feed and side draw. ThermoFailed "the
// duties are no finite numbers: Q_C = {Q_C} kW, Q_R = {Q_R} kW" when either
// is not finite.
Result<Duties> column_duties(const Overhead& overhead, Stream bottoms, std::span<const Stream> feeds,
                             std::span<const Stream> side_draws = {});

// The flows of the two sections of a two-product column at constant molar
// overflow, for reflux R, distillate D and one feed F of thermal condition q.
struct SectionFlows {
    double reflux_flow = 0.0;            // L = R D
    double vapour_flow = 0.0;            // V = (R + 1) D
    double stripping_liquid_flow = 0.0;  // L' = L + q F
    double boilup = 0.0;                 // V' = V - (1 - q) F
};
SectionFlows constant_overflow_flows(double reflux, double distillate, double feed, double q);

}  // namespace kolvar::engine
