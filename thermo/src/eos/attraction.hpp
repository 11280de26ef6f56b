// The attraction integral of the generalized cubic, shared by the pure-component
// and mixture fugacity coefficients and the reference constant of the
// excess-Gibbs-energy mixing rules.
#pragma once

#include "constants.hpp"
#include "numerics/dual.hpp"

#include <cmath>

namespace kolvar::thermo {

template <class Real>
struct AttractionIntegral {
    Real value;       // a * integral from z to infinity of dz'/(z'^2 + u z' + w)
    Real delta;       // u^2 - 4w, the discriminant of the denominator
    bool coincident;  // the denominator's two roots coincide (as in the VdW family)
};

// The larger of two values, ignoring a NaN on either side.
inline double max_ignoring_nan(double a, double b) { return std::isnan(a) || b > a ? b : a; }

// With p = 2z + u and r = sqrt(|delta|):
//   coincident roots (|delta| <= 1e-12 max(u^2, 4|w|, 1e-300)): 2a/p;
//   delta > 0: (a/r) ln((p + r)/(p - r));
//   delta < 0: (2a/r)(pi/2 - atan(p/r)).
// The coincident value is the limit delta -> 0; a Dual keeps the slope of
// the first-order term 2a delta/(3 p^3) as well, so that a delta that moves
// with the temperature is not lost there.
template <class Real>
inline AttractionIntegral<Real> attraction_integral(Real a, Real z, Real u, Real w)
{
    const Real delta = u * u - 4.0 * w;
    const double scale = max_ignoring_nan(max_ignoring_nan(value_of(u * u), 4.0 * std::abs(value_of(w))), 1e-300);
    const Real p = 2.0 * z + u;
    if (std::abs(value_of(delta)) <= 1e-12 * scale) {
        Real value = 2.0 * a / p;
        if constexpr (is_dual<Real>) add_slopes(value, 2.0 * a * delta / (3.0 * p * p * p));
        return {value, delta, true};
    }
    if (delta > 0.0) {
        const Real r = sqrt(delta);
        return {(a / r) * log((p + r) / (p - r)), delta, false};
    }
    const Real r = sqrt(-delta);
    return {(2.0 * a / r) * (constants::half_pi - atan(p / r)), delta, false};
}

}  // namespace kolvar::thermo
