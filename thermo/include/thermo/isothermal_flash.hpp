// The isothermal flash: the split of a feed at given temperature and pressure
// into a liquid and a vapour in equilibrium.
#pragma once

#include "thermo/flash.hpp"

#include <expected>
#include <span>
#include <vector>

namespace kolvar::thermo {

struct FlashResult {
    double vapour_fraction = 0.0;  // beta, moles of vapour per mole of feed
    std::vector<double> x;         // liquid
    std::vector<double> y;         // vapour
};

// Successive substitution on the K-values from Wilson's estimate; each pass
// solves the Rachford-Rice equation sum z_i (K_i - 1)/(1 + beta (K_i - 1)) = 0
// for beta in [0, 1], forms x_i = z_i/(1 + beta (K_i - 1)) and y_i = K_i x_i,
// and takes new K-values from the two phases. The passes end when no
// |ln(K_new/K_old)| reaches 1e-10. A feed whose Rachford-Rice function is
// not positive at beta = 0 is liquid: beta = 0 exactly, x = z and y the
// incipient vapour; one whose function is not negative at beta = 1 is
// vapour: beta = 1, y = z and x the incipient liquid. Otherwise the feed
// splits, and (1 - beta) x_i + beta y_i = z_i to rounding.
//
// With an equation of state in both phases, passes that end on K = 1 with
// both phases on one root of the cubic are no split: the feed is one phase,
// liquid below the pseudo-critical temperature sum phi_i Tc_i (phi_i the
// critical-volume fractions z_i Vc_i / sum z_j Vc_j) and vapour from it on,
// with x = y = z.
//
// The vapour is a vapour: with one equation of state for both phases, a
// split whose "vapour" sits on a single root at a molar volume below 1.75
// covolumes is two liquids, no vapour-liquid answer. Such a split, passes
// that do not converge, and a one-phase answer whose phase a trial phase of
// the other kind would lower (phase_stability), give way to the stable phases of a feed of
// mole fractions (stable_flash): a vapour and a liquid as they are, liquids
// alone as beta = 0 with the feed's incipient vapour, a vapour alone as
// beta = 1 with its incipient liquid; two liquids that no stable phase set
// resolves are Evaluation "no vapour at T = {T} K, P = {P} kPa: the feed
// splits into two liquids (stable_flash reports them)".
//
// z is used as given. Failures: DimensionMismatch "components=2, z=3";
// the model checks of evaluate_k; the errors of the fugacity and saturation
// layers (Evaluation); Evaluation "non-finite K-values at T = {T} K, P = {P}
// kPa"; NoConvergence "flash" after max_iterations passes with the last
// change. No heap allocation in the passes for up to 8 components.
std::expected<FlashResult, ThermoError> isothermal_flash(const SystemSpec& spec, double temperature,
                                                         double pressure, std::span<const double> z,
                                                         unsigned max_iterations = 500);

// The root of the Rachford-Rice function for K-values and feed z, clamped to
// [0, 1]: 0 when the function is not positive at 0, 1 when it is not
// negative at 1, otherwise the root by Newton steps kept inside a bisection
// bracket, to machine precision.
double rachford_rice(std::span<const double> z, std::span<const double> k);

}  // namespace kolvar::thermo
