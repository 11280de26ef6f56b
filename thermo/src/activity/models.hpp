// The activity models written in their own files, each once over the scalar
// type (double, Dual for the temperature slope, Tangent for a slope along
// T, P or an amount; the composition is StateScalar<Real>) and instantiated
// for the three.
#pragma once

#include "thermo/activity.hpp"

#include <span>

namespace kolvar::thermo::activity {

// ln gamma_i of NRTL (a, b, alpha) and UNIQUAC (r, q, a, b) into out[0..n);
// the formulas are in thermo/activity.hpp. No allocation for up to 8
// components.
template <class Real>
void nrtl(Real temperature, std::span<const StateScalar<Real>> x, const ActivityInputs& inputs, std::span<Real> out);

template <class Real>
void uniquac(Real temperature, std::span<const StateScalar<Real>> x, const ActivityInputs& inputs, std::span<Real> out);

// ln gamma_i of UNIFAC and UNIFAC-Dortmund from inputs.groups, which says
// which of the two it is. No allocation for up to 32 subgroups in 16 main
// groups.
template <class Real>
void unifac(Real temperature, std::span<const StateScalar<Real>> x, const ActivityInputs& inputs, std::span<Real> out);

}  // namespace kolvar::thermo::activity
