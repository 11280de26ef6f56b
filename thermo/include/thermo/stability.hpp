// Stability of a liquid against splitting into two liquids, by the
// tangent-plane distance of its Gibbs energy.
#pragma once

#include "thermo/flash.hpp"

#include <expected>
#include <span>
#include <vector>

namespace kolvar::thermo {

struct StabilityResult {
    double tpd = 0.0;             // the smallest modified tangent-plane distance found
    std::vector<double> trial;    // its normalised trial composition
};

// Michelsen's modified tangent-plane distance of a trial amount vector W
// against the liquid x (normalised to x^ first):
//   tm(W) = 1 + sum_i W_i (ln W_i + ln f_i(w) - d_i - 1),  d_i = ln x^_i + ln f_i(x^),
// with w = W / sum W and ln f the liquid's composition-dependent fugacity
// term: ln phi_i on the liquid root of the phi-phi equation of state, ln
// gamma_i of the gamma-phi activity model. From each trial (nearly pure
// component j for every j, then the equimolar mixture) successive
// substitution ln W_i <- d_i - ln f_i(w) runs until no ln W_i changes by
// 1e-10 or 300 passes are made; the trial's value is tm at its last W. A
// trial that comes within 1e-6 of x^ has found x^ itself: value 0. The
// result is the smallest value with its w (0 and x^ when every trial is
// trivial); a negative tpd means the liquid splits. Ideal-solution and
// Grayson-Streed liquids have no composition-dependent term: (0, x^).
// Components absent from x stay absent from every trial.
//
// Failures: DimensionMismatch "components=2, x=3"; the model checks of
// evaluate_k; DimensionMismatch "composition must be finite and
// non-negative with a positive sum" for any other x; the errors of the
// fugacity layer (Evaluation); Evaluation "non-finite tangent-plane distance
// at T = {T} K, P = {P} kPa"; the spec's stop request, asked before each
// trial ("stopped on request"). No heap allocation in the passes for up to 8
// components.
std::expected<StabilityResult, ThermoError> liquid_stability(const SystemSpec& spec, double temperature,
                                                             double pressure, std::span<const double> x);

}  // namespace kolvar::thermo
