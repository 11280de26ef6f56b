// Vapour described by the virial equation truncated after the second
// coefficient, with the generalized (corresponding-states) correlation for
// B_ij in cm3/mol.
#pragma once

#include "thermo/component.hpp"
#include "thermo/small_vector.hpp"

#include <span>

namespace kolvar::thermo::flash {

// B_ii of one component at T.
double second_virial(const Component& component, double temperature);

// B_ij at T, row-major n x n: Tc_ij = sqrt(Tc_i Tc_j), Pc_ij = (Pc_i + Pc_j)/2,
// omega_ij = (omega_i + omega_j)/2 off the diagonal, the pure values on it.
void second_virial_matrix(std::span<const Component> components, double temperature, SmallVector<double, 64>& out);

// ln phi_i = (2 sum_j y_j B_ij - B) P/(RT) with B = sum_i sum_j y_i y_j B_ij,
// written into out[0..n).
void virial_ln_phi(std::span<const double> b_matrix, std::span<const double> y, double temperature, double pressure,
                   std::span<double> out);

}  // namespace kolvar::thermo::flash
