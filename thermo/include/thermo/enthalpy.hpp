// Molar enthalpies in J/mol. The reference state is each pure component as
// an ideal gas at 298.15 K, whose enthalpy is zero.
#pragma once

#include "thermo/component.hpp"
#include "thermo/flash.hpp"
#include "thermo/phase.hpp"

#include <array>
#include <expected>
#include <span>

namespace kolvar::thermo {

inline constexpr double enthalpy_reference_temperature = 298.15;  // K

// h_ig(T) = R * integral from 298.15 K to T of sum_k a_k t^k dt, with a_k the
// component's cp_coeffs (ideal-gas Cp/R = sum_k a_k T^k), the polynomial used
// as given at any T, inside its fitted range or not. 0 when cp_coeffs is
// empty.
double ideal_gas_enthalpy(const Component& component, double temperature);

// The molar enthalpy of one phase of a system at (T, P) and composition w,
// by the Gibbs-Helmholtz relation at fixed P and composition:
//   h = sum_i w_i h_ig,i(T) - R T^2 sum_i w_i d/dT ln(f_i / (w_i P)),
// with f_i the phase's fugacity as phase_fugacity.hpp writes it (the one the
// K-values use) and its temperature derivative exact to rounding. So an
// equation-of-state phase adds its residual enthalpy, a Raoult liquid
// sum_i w_i (h_ig,i - R T^2 d ln Psat_i/dT) (Clausius-Clapeyron), an activity
// liquid the excess enthalpy -R T^2 sum_i w_i d ln gamma_i/dT besides, and an
// ideal-gas vapour sum_i w_i h_ig,i. w holds amounts or mole fractions and
// is normalised; absent components contribute nothing.
//
// Failures, in order: DimensionMismatch "components=2, composition=3"; the
// model checks of evaluate_k; DimensionMismatch "composition must be finite
// and non-negative with a positive sum"; Evaluation "component \"x\" has no
// ideal-gas heat capacity (cp_coeffs)" for a present component; the errors
// of the fugacity and saturation layers (Evaluation); Evaluation "non-finite
// enthalpy at T = {T} K, P = {P} kPa".
std::expected<double, ThermoError> phase_enthalpy(const SystemSpec& spec, double temperature, double pressure,
                                                  std::span<const double> w, Phase phase);

// The enthalpies {h_L, H_V} of a liquid x and a vapour y at the same (T, P),
// each bit for bit what phase_enthalpy gives, with what depends on T and P
// alone (the equation-of-state parameters, the pure-liquid references)
// computed once. Failures: the model checks, then those of phase_enthalpy
// for the liquid, then for the vapour.
std::expected<std::array<double, 2>, ThermoError> coexisting_enthalpies(const SystemSpec& spec, double temperature,
                                                                        double pressure, std::span<const double> x,
                                                                        std::span<const double> y);

}  // namespace kolvar::thermo
