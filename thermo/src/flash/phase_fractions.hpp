// The phase fractions of a multiphase split at fixed fugacity
// coefficients, by minimising Michelsen's convex
//   Q(beta) = sum_k beta_k - sum_i z_i ln E_i,  E_i = sum_k beta_k / phi_ik,
// over beta >= 0. Up to three phases; no heap allocation for up to 8
// components.
#pragma once

#include "flash/tangent_plane.hpp"
#include "thermo/small_vector.hpp"

#include <cstddef>
#include <span>

namespace kolvar::thermo::flash {

inline constexpr std::size_t max_phases = 3;

// E_i = sum_k beta_k / phi_ik, inverse_phi[k][i] holding 1/phi_ik.
void weights(std::span<const double> beta, const SmallVector<TrialList, max_phases>& inverse_phi,
             std::span<double> e);

// Minimises Q from the fractions in `beta` (a warm start; e holding their
// E) by Newton steps on the phases that are present or want to be (gradient
// below 0), each step shortened to stay inside beta >= 0 and halved until Q
// falls; two phases of two present components whose minimum has both
// fractions positive take it directly, from two 2 x 2 linear systems.
// Leaves the fractions in `beta` and their E in `e`.
void minimise_fractions(std::span<const double> z, const SmallVector<TrialList, max_phases>& inverse_phi,
                        std::span<double> beta, std::span<double> e);

}  // namespace kolvar::thermo::flash
