// The pure-liquid references of the liquid descriptions that do not use an
// equation of state for the liquid. Both depend on T and P only, so one
// K-value evaluation computes them once.
#pragma once

#include "thermo/flash.hpp"
#include "thermo/scalar.hpp"

#include <cstddef>
#include <expected>
#include <type_traits>

namespace kolvar::thermo::flash {

// Poynting_i * phi_i^sat * Psat_i (kPa) of component i, the numerator of the
// gamma-phi K-value K_i = that * gamma_i / (phi_i^V P):
//   Psat_i by the spec's saturation model i when given, else the component's;
//   phi_i^sat of the pure saturated vapour by the spec's vapour model;
//   Poynting exp((P - Psat_i) V_i 0.001/(8.31451 T)) when the spec switches
//   it on (V_i the component's liquid volume, else the entry of a molar-volume
//   list of n entries), 1 otherwise.
// Fails with Evaluation carrying the saturation correlation's text, or
// "component \"x\" has no liquid volume for the Poynting factor".
// Instantiated for double, Dual (with d/dT at fixed P, Psat and phi^sat
// following the temperature) and Tangent (the pressure a Tangent too).
template <class Real>
std::expected<Real, ThermoError> pure_liquid_fugacity(const SystemSpec& spec, std::size_t i, Real temperature,
                                                      std::type_identity_t<StateScalar<Real>> pressure);

// ln(nu0 nu1^omega) of the Grayson-Streed correlation: the pure-liquid
// fugacity coefficient of the component at (T, P).
template <class Real>
Real grayson_streed_ln_nu(const Component& component, Real temperature,
                          std::type_identity_t<StateScalar<Real>> pressure);

}  // namespace kolvar::thermo::flash
