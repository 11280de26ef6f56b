// The compressibility root of one phase: what solving the cubic and picking
// the phase's root (select_root) give, without forming the roots the phase
// does not take when the discriminant leaves no doubt about their number.
#pragma once

#include "thermo/cubic.hpp"
#include "thermo/eos.hpp"
#include "thermo/phase.hpp"

#include <expected>
#include <optional>

namespace kolvar::thermo {

// The root of Z^3 + c2 Z^2 + c1 Z + c0 for the phase among those above b
// (Vapor the largest, Liquid the smallest), polished by Newton steps on the
// cubic; nullopt when there is none, or the solver's error for a non-finite
// coefficient. A clearly positive discriminant gives the one real root by
// Cardano's formula, a clearly negative one the needed root of the
// trigonometric form, its cosine from a polynomial good to 1e-11; one or
// two Newton steps then make the root exact to rounding. Near repeated
// roots, for a root within rounding of b, and for anything not finite, the
// full solver decides and the chosen root gets at most two steps. The root
// is not compared with b again after polishing.
std::expected<std::optional<double>, CubicError> phase_root(const CubicCoefficients& k, double b, Phase phase);

}  // namespace kolvar::thermo
