// Fugacity coefficients of every component in one phase of a mixture described
// by a cubic equation of state.
//
// Simple form, allocating only its result:
//   auto ln_phi = mixture_ln_phi(spec, Eos::PR1976, 350.0, 101.325, x, Phase::Liquid);
//
// Two-stage form for loops at fixed T and P (no heap allocation for up to 8
// components), bit-identical to the simple form:
//   const ComponentParameters liquid = component_parameters(spec.components, Eos::PR1976, T, P);
//   std::array<double, 2> out;
//   for (...) { if (auto ok = mixture_ln_phi(spec, liquid, x, Phase::Liquid, out); !ok) ...; }
#pragma once

#include "thermo/component_parameters.hpp"
#include "thermo/eos.hpp"
#include "thermo/eos_error.hpp"
#include "thermo/mixing_rule.hpp"
#include "thermo/phase.hpp"

#include <expected>
#include <span>
#include <type_traits>
#include <vector>

namespace kolvar::thermo {

// Writes ln phi_i of the n components into out[0..n) (out needs n entries).
// Steps: mixture parameters (their checks come first), the cubic in Z, the
// phase's root above B (Vapor the largest, Liquid the smallest) polished by at
// most two Newton steps, then per component
//   ln phi_i = b_bar_i/(Z - B) - ln(Z - B) - (a_bar_i - A) g - Z A/Q
//              + A [(u_bar_i - U)(1/(2Q) - (U/2) h) + (w_bar_i - 2W) h]
// with Q = Z^2 + U Z + W, g = integral from Z to infinity of dZ'/Q(Z') and
// h = -dg/dW. For the two-parameter variants (U = u B, W = w B^2) the same
// value is formed as (b_bar_i/B)(Z - 1) - ln(Z - B) - g (a_bar_i - A b_bar_i/B),
// which the equation of state makes equal at the root. Logarithms of
// non-positive arguments are not guarded.
// When `compressibility` is given it receives the polished root Z.
// Real is double, or the library's Dual: parameters computed at a Dual
// temperature give ln phi_i with d ln phi_i/dT at fixed P and composition
// (the root's slope by implicit differentiation of the cubic, the values
// those of the double evaluation). With Tangent parameters (a Tangent
// temperature and pressure) the composition is a list of Tangents too, and
// ln phi_i carries its derivative along whichever direction was seeded in
// T, P and the mole fractions.
template <class Real>
std::expected<void, EosError> mixture_ln_phi(const MixtureSpec& spec, const BasicComponentParameters<Real>& components,
                                             std::span<const StateScalar<Real>> composition, Phase phase,
                                             std::type_identity_t<std::span<Real>> out,
                                             double* compressibility = nullptr);

std::expected<std::vector<double>, EosError> mixture_ln_phi(const MixtureSpec& spec, Eos eos, double temperature,
                                                            double pressure, std::span<const double> composition,
                                                            Phase phase);

}  // namespace kolvar::thermo
