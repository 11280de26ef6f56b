// The stable phase set of a feed at given temperature and pressure: up to two
// liquids and a vapour, for any number of components and every model the
// system specification describes, by tangent-plane stability analysis and a
// multiphase split wherever a phase is unstable.
#pragma once

#include "thermo/flash.hpp"
#include "thermo/phase.hpp"

#include <expected>
#include <span>
#include <vector>

namespace kolvar::thermo {

// One phase of an equilibrium: its kind, its share of the feed's moles and
// its mole fractions.
struct PhaseShare {
    Phase kind = Phase::Liquid;
    double fraction = 0.0;
    std::vector<double> composition;
};

// The lowest tangent-plane distance found for a phase of kind `kind` and
// composition z at (T, P), and the trial phase that gives it.
struct PhaseStability {
    double tpd = 0.0;           // 0 when every trial ends on the tested phase itself
    Phase trial_kind = Phase::Liquid;
    std::vector<double> trial;  // normalised; z itself when tpd is 0
};

// A phase counts as unstable when a trial's tangent-plane distance falls
// below this (its fugacities are solved to about 1e-10 in ln f).
inline constexpr double unstable_tpd = -1e-8;

// Tangent-plane stability of the phase (kind, z) against trial phases of the
// kinds asked for: of the other kind from Wilson's K-values and from every
// nearly pure present component, and of the same kind (a second liquid, a
// second vapour) from the nearly pure components when that phase's fugacity
// term depends on its composition. The trial loop is liquid_stability's; a
// trial that ends on z in the same phase (on the same root of one equation
// of state) is the tested phase itself. z is normalised first; components
// absent from z stay absent.
//
// Failures: DimensionMismatch "components=2, z=3"; the model checks of
// evaluate_k; DimensionMismatch "composition must be finite and non-negative
// with a positive sum"; the errors of the fugacity and saturation layers
// (Evaluation); Evaluation "non-finite tangent-plane distance at T = {T} K,
// P = {P} kPa"; the spec's stop request before each trial.
struct TrialKinds {
    bool vapour = true;
    bool liquid = true;
};
std::expected<PhaseStability, ThermoError> phase_stability(const SystemSpec& spec, double temperature,
                                                           double pressure, std::span<const double> z, Phase kind,
                                                           TrialKinds kinds = {});

// The stable phases of the feed z at (T, P). The feed alone, as whichever of
// liquid and vapour has the lower Gibbs energy, when it is stable (fraction
// exactly 1); otherwise the unstable trial joins it and the phases are split
// by successive substitution on their fugacity coefficients, each pass
// dividing the feed by minimising Michelsen's convex
//   Q(beta) = sum_k beta_k - sum_i z_i ln(sum_k beta_k / phi_ik),  beta >= 0,
// and the result is tested again, a third phase joining an unstable pair.
// The passes are accelerated by Anderson mixing of the phases' ln phi; a
// split that the mixing leads back to one phase, or that it does not finish,
// is done again by plain passes. A trial that shows a phase unstable by
// tm < -1e-3 starts the split from where it stands.
// Phases whose fraction falls to 0 leave. With one equation of state for
// both phases, a feed on a single root counts as a vapour, and a vapour on a
// single root at a molar volume below 1.75 covolumes is reported (and split)
// as the liquid it is; a trial on a single root whose split falls back to
// the phases it started from is tried as the other kind.
//
// The result: the vapour first, then the liquids, the one richer in the
// first component first; fractions summing to 1, sum_k beta_k x_ik = z_i to
// rounding and ln f_i equal between every pair to about 1e-10. z is
// normalised first.
//
// Failures: those of phase_stability; Evaluation "non-finite fugacity at T =
// {T} K, P = {P} kPa"; NoConvergence "stable flash" after 2000 passes with
// the last change of ln phi.
std::expected<std::vector<PhaseShare>, ThermoError> stable_flash(const SystemSpec& spec, double temperature,
                                                                 double pressure, std::span<const double> z);

}  // namespace kolvar::thermo
