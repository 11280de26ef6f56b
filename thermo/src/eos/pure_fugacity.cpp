// Fugacity coefficient of a pure component as a vapour.
#include "thermo/eos.hpp"

#include "eos/attraction.hpp"
#include "mixture/phase_root.hpp"
#include "thermo/phase.hpp"

#include <cmath>

namespace kolvar::thermo {

template <class Real>
Real pure_ln_phi_vapor(Eos eos, const Component& component, Real temperature, Real pressure)
{
    const BasicReducedParameters<Real> r = reduced_parameters(eos, component, temperature, pressure);
    const BasicCubicCoefficients<Real> k = cubic_coefficients(r.a, r.b, r.u, r.w);
    const CubicCoefficients values = values_of(k);
    const auto roots = solve_monic_cubic(values.c2, values.c1, values.c0);
    if (!roots) return 0.0;
    const auto root = select_root(*roots, value_of(r.b), Phase::Vapor);
    if (!root) return 0.0;
    const Real z = root_with_slope(*root, k);

    // Attraction term I = A * integral from Z to infinity of dZ'/(Z'^2 + U Z' + W).
    const Real integral = attraction_integral(r.a, z, r.u, r.w).value;
    return (z - 1.0) - log(z - r.b) - integral;
}

template double pure_ln_phi_vapor(Eos, const Component&, double, double);
template Dual pure_ln_phi_vapor(Eos, const Component&, Dual, Dual);
template Tangent pure_ln_phi_vapor(Eos, const Component&, Tangent, Tangent);
#define KOLVAR_INSTANTIATE(R) \
    template R pure_ln_phi_vapor(Eos, const Component&, R, R);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo
