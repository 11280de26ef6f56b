// The physical and mathematical constants of the thermodynamic library, each
// in the units its formulas use.
#pragma once

namespace kolvar::thermo::constants {

// The gas constant R.
inline constexpr double gas_constant = 8.31451;                                 // J/(mol K)
inline constexpr double gas_constant_kpa_cm3 = gas_constant * 1000.0;           // kPa cm3/(mol K), 8314.51
inline constexpr double gas_constant_calorie = 1.9870015998000001;              // cal/(mol K)

inline constexpr double ln_10 = 2.302585092994046;
inline constexpr double half_pi = 1.5707963267948966;

// The slope of Wilson's K-value estimate, ln K = ln(Pc/P) + 5.373 (1 + omega)(1 - Tc/T).
inline constexpr double wilson_slope = 5.373;

}  // namespace kolvar::thermo::constants
