// Whether a binary liquid splits into two liquids, by its tangent-plane
// distance sampled along the whole composition line: made to be asked at
// every point of an equilibrium curve, at a small part of the cost of
// liquid_stability's trials.
#pragma once

#include "thermo/flash.hpp"

#include <expected>
#include <limits>
#include <optional>
#include <span>

namespace kolvar::thermo {

struct BinaryStability {
    bool splits = false;  // the liquid splits into two liquids
    bool convex = false;  // its Gibbs energy at (T, P) is convex through the fixed trials: no liquid splits there
    // When the liquid splits: w_1 of the trial liquid whose tpd showed it.
    double witness = std::numeric_limits<double>::quiet_NaN();
};

// For the binary liquid x (normalised first) at (T, P), with ln f_i the
// liquid's composition-dependent term as in liquid_stability (ln phi on the
// liquid root of the phi-phi equation of state, ln gamma of the activity
// model), the tangent-plane distance of a trial liquid w is
//   tpd(w) = sum_i w_i (ln w_i + ln f_i(w) - ln x_i - ln f_i(x)),
// and its slope along w_1 is h(w) = [ln w_1 + ln f_1(w) - d_1] - [ln w_2 + ln f_2(w) - d_2].
// First the fixed trials w_1 = 1e-7, 1e-4, eight Chebyshev points of (0, 1),
// 1 - 1e-4 and 1 - 1e-7, with the liquid itself (tpd = h = 0) among them:
// when the cubics through the values and slopes of neighbouring trials are
// all convex, the Gibbs energy is taken as convex (convex = true) and no
// liquid splits. Otherwise the trials x_1 +- 0.005, 0.02 and 0.06, where the
// other liquid of a narrow split lies, join them (those at 0.02 and 0.06 only
// when the cubics are not all convex on the fixed intervals within 0.06 of
// x_1: a split that narrow needs a Gibbs energy that is not convex beside the
// liquid; the trials at 0.005 always come first, and a tpd below -1e-9 at
// either of them ends the test), and the liquid splits when
// tpd < -1e-9 at a trial, or at a local minimum of tpd: found where h
// changes sign from - to + between neighbouring trials (the liquid's own
// minimum is never bracketed, its h being 0), or where the cubic through two
// trials dips although their slopes do not say so, and refined on h (regula
// falsi) to 1e-10 in w_1. A trial outside (0, 1), or whose evaluation fails
// or is not finite, is left out (and a fixed trial so left out makes the
// Gibbs energy count as not convex).
//
// Ideal-solution and Grayson-Streed liquids, systems of other than two
// components, and compositions that are not two positive fractions never
// split (convex = true). Failures: the model checks of evaluate_k; the
// fugacity layer's error at x itself (Evaluation), or a non-finite term
// there ("non-finite tangent-plane distance at T = {T} K, P = {P} kPa"). No
// heap allocation.
std::expected<BinaryStability, ThermoError> binary_liquid_splits(const SystemSpec& spec, double temperature,
                                                                 double pressure, std::span<const double> x);

// A local minimum of the binary liquid x's tangent-plane distance (as above)
// and whether it shows a split (tpd < -1e-9, as binary_liquid_splits asks).
struct TangentMinimum {
    double w1 = 0.0;
    double tpd = 0.0;
    bool splits = false;
};

// The minimum of tpd along w_1 reached downhill from the trial w_1 = start:
// steps of 1e-3, doubling, in the direction in which tpd falls until its
// slope h changes sign, then regula falsi on h to 1e-10 in w_1. Made to
// follow one minimum while x and the temperature move a little (the other
// liquid of a split near its edge), at a small part of the cost of the full
// scan. Nothing when the descent would pass the liquid x itself (its own
// stationary point), or when an evaluation on the way fails or is not
// finite. Failures as binary_liquid_splits. No heap allocation.
std::expected<std::optional<TangentMinimum>, ThermoError> binary_tangent_minimum(const SystemSpec& spec,
                                                                                 double temperature,
                                                                                 double pressure,
                                                                                 std::span<const double> x,
                                                                                 double start);

}  // namespace kolvar::thermo
