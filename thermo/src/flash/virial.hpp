// Vapour described by the virial equation truncated after the second
// coefficient, with the generalized (corresponding-states) correlation for
// B_ij in cm3/mol.
#pragma once

#include "thermo/component.hpp"
#include "thermo/scalar.hpp"
#include "thermo/small_vector.hpp"

#include <span>
#include <type_traits>

namespace kolvar::thermo::flash {

// Each function is instantiated for double, Dual (a Dual temperature
// carries d/dT) and Tangent (the pressure and the composition Tangents too).

// B_ii of one component at T.
template <class Real>
Real second_virial(const Component& component, Real temperature);

// B_ij at T, row-major n x n: Tc_ij = sqrt(Tc_i Tc_j), Pc_ij = (Pc_i + Pc_j)/2,
// omega_ij = (omega_i + omega_j)/2 off the diagonal, the pure values on it.
template <class Real>
void second_virial_matrix(std::span<const Component> components, Real temperature, SmallVector<Real, 64>& out);

// ln phi_i = (2 sum_j y_j B_ij - B) P/(RT) with B = sum_i sum_j y_i y_j B_ij,
// written into out[0..n).
template <class Real>
void virial_ln_phi(std::type_identity_t<std::span<const Real>> b_matrix, std::span<const StateScalar<Real>> y,
                   Real temperature, StateScalar<Real> pressure, std::type_identity_t<std::span<Real>> out);

}  // namespace kolvar::thermo::flash
