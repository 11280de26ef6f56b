// Shortcut design of a multicomponent column with a total condenser, on any
// ThermoSystem: Fenske's minimum stages with the distribution of the
// non-keys, Underwood's minimum reflux, Gilliland's stage count (Molokanov's
// form) and Kirkbride's feed location. The method is fixed, so that a design
// is reproducible:
//
// 1. Distribution. The keys split by their recoveries. To start, each non-key
//    more volatile than the light key (K at the feed's bubble point) goes
//    wholly to the distillate, every other one wholly to the bottoms. Then,
//    in turn: the bubble points of distillate and bottoms at the column
//    pressure; alpha_i = sqrt(alpha_i,top alpha_i,bottom) with alpha_i =
//    K_i / K_HK; N_min = ln[(d_LK/b_LK)(b_HK/d_HK)] / ln alpha_LK; each non-key
//    split by d_i/b_i = (d_HK/b_HK) alpha_i^N_min; until no flow changes by
//    more than 1e-12 F and neither bubble point moved by more than 1e-9 of
//    itself since the pass before. The products reported are those whose
//    bubble points (and alpha) the last pass found, so that the temperatures
//    are exactly those of the products.
// 2. Minimum reflux with the same alpha: for every root theta of
//    sum_i alpha_i z_i / (alpha_i - theta) = 1 - q lying between neighbouring
//    volatilities from alpha_HK = 1 to alpha_LK, R = sum_i alpha_i x_D,i /
//    (alpha_i - theta) - 1. R_min is the largest, and 0 when that is negative
//    (the separation then pinches nowhere). Non-keys between the keys keep
//    their Fenske split; Underwood's roots are not iterated.
// 3. Stages at R: X = (R - R_min)/(R + 1), Y = 1 - exp[((1 + 54.4 X) /
//    (11 + 117.2 X)) (X - 1)/sqrt(X)], N = (Y + N_min)/(1 - Y): equilibrium
//    stages, the partial reboiler included.
// 4. Feed: N_R/N_S = [(B/D)(z_HK/z_LK)(x_B,LK/x_D,HK)^2]^0.206, N_R = N
//    ratio/(1 + ratio), the feed on stage round(N_R) + 1.
// 5. Energy, with the total condenser's V = (R + 1) D and the enthalpies of
//    saturated phases at the column pressure (J/mol, each at its own
//    saturation temperature): Q_C = V [H_V(x_D) - h_L(x_D)] / 3600 and
//    F h_F + 3600 Q_R = D h_L(x_D) + B h_L(x_B) + 3600 Q_C, where
//    h_F = q h_L(z) + (1 - q) H_V(z). Duties in kW.
#pragma once

#include "engine/error.hpp"
#include "engine/interrupt.hpp"
#include "engine/thermo/system.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kolvar::engine {

// A key component: a name, matched as the component table matches names
// (white space trimmed, case ignored), or an index into the system's list.
using ComponentKey = std::variant<std::string, std::int64_t>;

struct ShortcutSpec {
    double pressure = 0.0;             // column pressure, kPa
    double feed_rate = 0.0;            // F, kmol/h
    std::vector<double> z;             // feed mole fractions, one per component
    ComponentKey light_key;
    ComponentKey heavy_key;
    double light_recovery = 0.0;       // fraction of the light key's feed in the distillate
    double heavy_recovery = 0.0;       // fraction of the heavy key's feed in the bottoms
    std::optional<double> reflux;         // R = L/D, or
    std::optional<double> reflux_factor;  // R as a multiple of R_min
    double q = 1.0;                    // feed thermal condition
};

struct ShortcutResult {
    double n_min = 0.0;                // Fenske, stages at total reflux (reboiler included)
    double r_min = 0.0;                // Underwood
    double reflux = 0.0;               // R of the design
    double n_stages = 0.0;             // Gilliland, equilibrium stages (reboiler included)
    double rectifying_stages = 0.0;    // Kirkbride's N_R
    std::uint64_t feed_stage = 0;      // round(N_R) + 1, from the top
    std::vector<double> distillate;    // x_D
    std::vector<double> bottoms;       // x_B
    double distillate_rate = 0.0;      // D, kmol/h
    double bottoms_rate = 0.0;         // B, kmol/h
    double top_temperature = 0.0;      // bubble point of the distillate, K
    double bottom_temperature = 0.0;   // bubble point of the bottoms, K
    double condenser_duty = 0.0;       // heat removed by the total condenser, kW
    double reboiler_duty = 0.0;        // heat added in the reboiler, kW
    std::vector<double> alpha;         // mean volatilities relative to the heavy key
};

// The design of `spec`. Its checks, in order, each InvalidInput unless noted:
//   "pressure must be positive and finite, got {P} kPa"
//   "feed rate must be positive and finite, got {F} kmol/h"
//   "composition has {len} entries but the system has {n} components"
//   "feed composition entries must be finite and non-negative, got {v} at index {i}"
//   "feed composition must be mole fractions summing to 1 (within 0.000001),
//    got a sum of {s}" when the sum is off 1 by more than 1e-6, with
//    "; divide percentages by 100" when it lies within 1 of 100; the feed is
//    then scaled to sum to 1 exactly
//   "q must be finite, got {q}"
//   the keys, light first: "light key {"name"} is not a component of the
//   system (components: a, b, ...)", "light key {"name"} names 2 components
//   of the system (indices 0, 3); give its index", "light key index {i}
//   is outside 0..{n - 1}"; then "light and heavy key are the same
//   component, {name}" and "light key {name} is not in the feed (z = 0)"
//   "{light|heavy}_recovery must lie strictly between 0 and 1, got {r}"
//   "the recoveries ask for no separation: light_recovery + heavy_recovery
//    must exceed 1, got {r_LK} + {r_HK}"
//   "give reflux or reflux_factor, not both" / "give reflux or reflux_factor"
//   "reflux must be positive and finite, got {R}" (the same for reflux_factor)
// then the thermodynamics and the method:
//   the failure of a bubble point, unchanged (ThermoFailed)
//   "light key {LK} is not more volatile than heavy key {HK} at the feed's
//    bubble point ({T} K): K = {K_LK} and {K_HK}"
//   ThermoFailed "the relative volatility of {name} at the column's ends is
//    no positive number, got {alpha}"
//   Infeasible "light key {LK} is not more volatile than heavy key {HK} at the
//    column's ends: alpha = {alpha_LK} (an azeotrope between the keys?)"
//   NotConverged "the Fenske distribution did not settle in {k} iterations
//    (largest change {dF} kmol/h)" after 500 passes; sooner, with ": it
//    oscillates, no closer in the last 12 passes" after it, when 12 passes
//    in a row bring neither the largest change of a flow nor the shift of
//    the bubble points below the least seen before (a cycle)
//   "feed rate {F} kmol/h gives a product rate of {0|inf} kmol/h; state the
//    feed in other units" (feed rates near the ends of the doubles' range)
//   Infeasible "the minimum reflux is not finite (R_min = {R_min}) for q = {q}:
//    Underwood's root falls on a volatility" (extreme q)
//   Infeasible "reflux_factor cannot set the reflux: R_min = 0 (the separation
//    pinches nowhere); give reflux instead"
//   Infeasible "reflux R = {R} must exceed the minimum reflux R_min = {R_min}",
//    with " ({factor} R_min)" after R when the reflux is a multiple of R_min
//   Infeasible "reflux R = {R} lies too close to R_min = {R_min} for a usable
//    stage count (N = {N})" when N is not below 2^53
//   the failure of a saturation point or enthalpy of the energy balance
//    (ThermoFailed), then ThermoFailed "the duties are no finite numbers:
//    Q_C = {Q_C} kW, Q_R = {Q_R} kW"
// `interrupt` is asked before every pass of the distribution and by every
// bubble and dew point (of the feed, of each pass and of the energy
// balance), between their steps.
Result<ShortcutResult> shortcut(const ThermoSystem& system, const ShortcutSpec& spec, Interrupt interrupt = {});

// The steps on their own, for the design above and for checks of it.

// Fenske: ln[(d_LK/b_LK)(b_HK/d_HK)] / ln alpha_LK, given
// ln_light_split = ln(d_LK/b_LK) and ln_heavy_split = ln(b_HK/d_HK).
double fenske_min_stages(double ln_light_split, double ln_heavy_split, double alpha_light);

// Underwood's R_min of step 2: alpha, feed z and distillate x_D in component
// order, the keys' indices, q finite. alpha_HK must be 1 and alpha_LK above 1.
// Infinite or NaN when a root cannot be told from a volatility.
double underwood_min_reflux(std::span<const double> alpha, std::span<const double> z,
                            std::span<const double> x_distillate, std::size_t light, std::size_t heavy, double q);

// Gilliland's stage count of step 3 for R > R_min >= 0 (infinite as R nears R_min).
double gilliland_stages(double n_min, double r_min, double reflux);

// Kirkbride's N_R/N_S of step 4.
double kirkbride_ratio(double bottoms_over_distillate, double z_heavy, double z_light, double x_bottoms_light,
                       double x_distillate_heavy);

}  // namespace kolvar::engine
