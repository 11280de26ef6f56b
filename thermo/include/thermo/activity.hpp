// Liquid-phase activity-coefficient models: ln gamma_i(T, x) and g^E/RT.
#pragma once

#include "thermo/scalar.hpp"

#include <cstddef>
#include <expected>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace kolvar::thermo {

// Declaration order is fixed; new models go at the end and get a row in
// activity_table.hpp, which also counts them.
enum class ActivityModel : unsigned {
    VanLaar, Wilson, RegularSolution, Margules, IdealLiquid, NRTL, UNIQUAC, UNIFAC, UNIFACDortmund
};

// "VanLaar", "Wilson", "RegularSolution", "Margules", "IdealLiquid", "NRTL", "UNIQUAC", "UNIFAC",
// "UNIFAC-Dortmund"
const char* name(ActivityModel model);

struct GroupMixture;  // thermo/group_contribution.hpp

// Rows of a parameter matrix, borrowed.
using ParameterRows = std::span<const std::vector<double>>;

// Everything a model may read, borrowed; each model reads the inputs its row
// of activity_table.hpp lists, and shapes are the caller's responsibility:
// n rows of n entries for a matrix (a binary pair for Margules), n values for
// a list.
struct ActivityInputs {
    // The parameter matrix: A of VanLaar and Margules (dimensionless), the
    // energies lambda_ij of Wilson (J/mol), the constant part a_ij of NRTL's
    // and UNIQUAC's tau (dimensionless).
    ParameterRows parameters{};
    std::span<const double> molar_volumes{};          // cm3/mol: Wilson, RegularSolution
    std::span<const double> solubility_parameters{};  // (cal/cm3)^0.5: RegularSolution
    ParameterRows b{};                                // K: tau's 1/T part of NRTL and UNIQUAC
    ParameterRows alpha{};                            // NRTL's non-randomness
    std::span<const double> r{};                      // UNIQUAC's volume parameters
    std::span<const double> q{};                      // UNIQUAC's area parameters
    const GroupMixture* groups = nullptr;             // UNIFAC's prepared subgroups
};

// The shapes above, checked for n components: the first missing input as a
// message, e.g. "activity model Wilson needs 2 molar volumes, got 0",
// "activity model VanLaar needs a parameter matrix of at least 2×2" or
// "activity model Margules needs exactly 2 components, got 3".
std::expected<void, std::string> check_activity_inputs(ActivityModel model, const ActivityInputs& inputs,
                                                       std::size_t n);

// Writes ln gamma_i for the n = x.size() components into out[0..n). No
// allocation for up to 8 components.
// Margules is a two-component model: for n != 2 every entry of `out` is set
// to NaN, so the misuse shows up downstream instead of as a plausible number.
// Real is double, or the library's Dual: a Dual temperature gives
// d ln gamma_i/dT at fixed x as well (exactly 0 for the models whose row says
// they do not depend on temperature). With a Tangent temperature the
// mole fractions are Tangents too (StateScalar), and ln gamma_i carries its
// derivative along the seeded direction of T and x.
//
// NRTL, with tau_ij = a_ij + b_ij/T and G_ij = exp(-alpha_ij tau_ij) off the
// diagonal (tau_ii = 0, G_ii = 1: diagonals are not read):
//   ln gamma_i = C_i/S_i + sum_j x_j G_ij/S_j (tau_ij - C_j/S_j),
//   S_j = sum_k x_k G_kj, C_j = sum_k x_k tau_kj G_kj.
// UNIQUAC, with tau_ij = exp(a_ij + b_ij/T) off the diagonal (tau_ii = 1),
// z = 10, l_i = (z/2)(r_i - q_i) - (r_i - 1), Phi_i = x_i r_i/sum x_j r_j and
// theta_i = x_i q_i/sum x_j q_j:
//   ln gamma_i = ln(Phi_i/x_i) + (z/2) q_i ln(theta_i/Phi_i) + l_i - (Phi_i/x_i) sum_j x_j l_j
//              + q_i [1 - ln(sum_j theta_j tau_ji) - sum_j theta_j tau_ij/sum_k theta_k tau_kj],
// the ratios Phi_i/x_i and theta_i/Phi_i taken in closed form, so that a
// component with x_i = 0 gets its infinite-dilution value.
// UNIFAC and UNIFAC-Dortmund, from the prepared subgroups (nu_ki, R_k, Q_k,
// r_i = sum_k nu_ki R_k, q_i = sum_k nu_ki Q_k), with V_i = r_i/sum_j x_j r_j,
// F_i = q_i/sum_j x_j q_j and V'_i = V_i for UNIFAC,
// V'_i = r_i^(3/4)/sum_j x_j r_j^(3/4) for UNIFAC-Dortmund:
//   ln gamma_i = 1 - V'_i + ln V'_i - 5 q_i (1 - V_i/F_i + ln(V_i/F_i))
//              + sum_k nu_ki (ln Gamma_k - ln Gamma_k^(i)),
//   ln Gamma_k = Q_k [1 - ln(sum_m theta_m Psi_mk) - sum_m theta_m Psi_km/sum_n theta_n Psi_nm],
// theta_m = Q_m X_m/sum_n Q_n X_n over the group fractions X_m of the mixture
// (of pure component i for Gamma_k^(i)), Psi_mn = exp(-a_mn/T) for UNIFAC and
// exp(-(a_mn + b_mn T + c_mn T^2)/T) for UNIFAC-Dortmund, by main group.
template <class Real>
void ln_gamma(ActivityModel model, Real temperature, std::span<const StateScalar<Real>> x,
              const ActivityInputs& inputs, std::type_identity_t<std::span<Real>> out);

// Writes ln gamma_i into out and returns g^E/RT = sum x_i ln gamma_i
// (NaN for Margules with n != 2).
template <class Real>
Real excess_gibbs(ActivityModel model, Real temperature, std::span<const StateScalar<Real>> x,
                  const ActivityInputs& inputs, std::type_identity_t<std::span<Real>> out);

}  // namespace kolvar::thermo
