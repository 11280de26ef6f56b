// Single-phase answers of a system description at one state: fugacity
// coefficients, saturation pressures and K-values at given T and P.
#pragma once

#include "thermo/flash.hpp"
#include "thermo/phase.hpp"

#include <expected>
#include <span>
#include <vector>

namespace kolvar::thermo {

// ln phi_i of one phase of composition `composition` at (T, P). The liquid
// needs the phi-phi description (its equation of state, on the liquid root);
// the vapour is the spec's vapour model: an equation of state on the vapour
// root, the virial equation, or the ideal gas (all 0). Both equation-of-state
// phases use the spec's kij, mixing rule and GE model. Failures:
// DimensionMismatch "components=2, composition=3"; Unsupported "the liquid
// is not described by an equation of state"; the fugacity layer's error as
// Evaluation; Evaluation "non-finite ln phi at T = {T} K, P = {P} kPa".
std::expected<std::vector<double>, ThermoError> phase_ln_phi(const SystemSpec& spec, double temperature,
                                                             double pressure, std::span<const double> composition,
                                                             Phase phase);

// Psat_i(T) [kPa] of every component, by the spec's saturation model i when
// it lists one, else the component's own; a failing correlation is an
// Evaluation error carrying its text, an overflowing one "non-finite
// saturation pressure of component \"x\" at T = {T} K".
std::expected<std::vector<double>, ThermoError> saturation_pressures(const SystemSpec& spec, double temperature);

struct EquilibriumRatios {
    std::vector<double> k;  // K_i = y_i / x_i
    std::vector<double> y;  // the incipient vapour of the liquid x
};

// K-values of the liquid x at (T, P): evaluate_k in the bubble direction from
// Wilson's estimate, at most max_passes passes. Failures: those of
// evaluate_k; NoConvergence "K-values" (passes, last change) when the passes
// run out; Evaluation "trivial solution at T = {T} K, P = {P} kPa: liquid and
// vapour on the same root (K = 1)"; Evaluation "non-finite K-values at
// T = {T} K, P = {P} kPa".
std::expected<EquilibriumRatios, ThermoError> equilibrium_ratios(const SystemSpec& spec, double temperature,
                                                                 double pressure, std::span<const double> x,
                                                                 unsigned max_passes = 200);

}  // namespace kolvar::thermo
