// The compressibility root of one phase: what solving the cubic and picking
// the phase's root (select_root) give, without forming the roots the phase
// does not take when the discriminant leaves no doubt about their number.
#pragma once

#include "numerics/dual.hpp"
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

// The root z, found in double on the coefficients' values, carried to the
// scalar type of the coefficients: z itself, or for a Dual the value z and
// the slope dZ/dT = -(dc2/dT z^2 + dc1/dT z + dc0/dT)/(3 z^2 + 2 c2 z + c1),
// which one Newton step of the cubic in Dual gives without moving the value.
template <class Real>
inline Real root_with_slope(double z, const BasicCubicCoefficients<Real>& k)
{
    if constexpr (is_dual<Real>) {
        const double slope = (3.0 * z + 2.0 * k.c2.value) * z + k.c1.value;
        Real root = z;
        for (std::size_t l = 0; l < Real::lanes; ++l) {
            const double residual = (k.c2.slope(l) * z + k.c1.slope(l)) * z + k.c0.slope(l);
            root.slope(l) = -residual / slope;
        }
        return root;
    }
    else {
        return z;
    }
}

// The coefficients' values.
template <class Real>
inline CubicCoefficients values_of(const BasicCubicCoefficients<Real>& k)
{
    return {value_of(k.c2), value_of(k.c1), value_of(k.c0)};
}

}  // namespace kolvar::thermo
