// The attraction integral of the generalized cubic, shared by the pure-component
// and mixture fugacity coefficients and the reference constant of the
// excess-Gibbs-energy mixing rules.
#pragma once

#include "constants.hpp"

#include <cmath>

namespace kolvar::thermo {

struct AttractionIntegral {
    double value;     // a * integral from z to infinity of dz'/(z'^2 + u z' + w)
    double delta;     // u^2 - 4w, the discriminant of the denominator
    bool coincident;  // the denominator's two roots coincide (as in the VdW family)
};

// The larger of two values, ignoring a NaN on either side.
inline double max_ignoring_nan(double a, double b) { return std::isnan(a) || b > a ? b : a; }

// With p = 2z + u and r = sqrt(|delta|):
//   coincident roots (|delta| <= 1e-12 max(u^2, 4|w|, 1e-300)): 2a/p;
//   delta > 0: (a/r) ln((p + r)/(p - r));
//   delta < 0: (2a/r)(pi/2 - atan(p/r)).
inline AttractionIntegral attraction_integral(double a, double z, double u, double w)
{
    const double delta = u * u - 4.0 * w;
    const double scale = max_ignoring_nan(max_ignoring_nan(u * u, 4.0 * std::abs(w)), 1e-300);
    const double p = 2.0 * z + u;
    if (std::abs(delta) <= 1e-12 * scale) return {2.0 * a / p, delta, true};
    if (delta > 0.0) {
        const double r = std::sqrt(delta);
        return {(a / r) * std::log((p + r) / (p - r)), delta, false};
    }
    const double r = std::sqrt(-delta);
    return {(2.0 * a / r) * (constants::half_pi - std::atan(p / r)), delta, false};
}

}  // namespace kolvar::thermo
