// The stages of the mixing rules. Each stage writes its part of
// MixtureParameters; the lists are already sized to n and the checks passed.
#pragma once

#include "thermo/eos_error.hpp"
#include "thermo/mixing_rule.hpp"
#include "thermo/phase.hpp"

#include "mixture/rule_table.hpp"
#include "numerics/dual.hpp"

#include <expected>
#include <span>
#include <vector>

namespace kolvar::thermo::rules {

using KijRows = std::span<const std::vector<double>>;

// Every stage is written once over the scalar type Real and instantiated for
// double and Dual in its file.

// a/b stage: A, B, a_bar, b_bar.
// B = sum x_i B_i and b_bar_i = B_i, shared by every rule but WongSandler.
template <class Real>
void linear_covolume(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                     BasicMixtureParameters<Real>& out);
template <class Real>
void classical(const BasicComponentParameters<Real>& p, KijRows kij, std::span<const StateScalar<Real>> x,
               BasicMixtureParameters<Real>& out);
template <class Real>
void iivdw(const BasicComponentParameters<Real>& p, KijRows kij, std::span<const StateScalar<Real>> x,
           BasicMixtureParameters<Real>& out);
// The excess-Gibbs-energy stages; `rule` names the stage and the reference constant.
template <class Real>
void ge_based(const rule_data::RuleRow& rule, const GeSpec& ge, const ActivityInputs& activity,
              const BasicComponentParameters<Real>& p, KijRows kij, std::span<const StateScalar<Real>> x,
              BasicMixtureParameters<Real>& out);

// ln phi_i into out[0..n) from the mixture's parameters (the lists n long):
// what mixture_ln_phi does once they are formed.
template <class Real>
std::expected<void, EosError> ln_phi_of_mixture(const BasicMixtureParameters<Real>& m, Eos eos, Phase phase,
                                                std::span<Real> out, double* compressibility);

// U/W stage: U, W, u_bar, w_bar from B, b_bar and the variant's third parameter.
template <class Real>
void third_parameter(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                     BasicMixtureParameters<Real>& out);

// Both stages in one pass for the commonest mixture, Classical mixing without
// kij and a two-parameter variant: the arithmetic of classical, then
// third_parameter, operation for operation.
template <class Real>
void classical_two_parameter(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                             BasicMixtureParameters<Real>& out);

// Aborts with `what`: a state that the checks make unreachable.
[[noreturn]] void internal_fault(const char* what);

}  // namespace kolvar::thermo::rules
