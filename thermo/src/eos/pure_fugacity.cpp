// Fugacity coefficient of a pure component as a vapour.
#include "thermo/eos.hpp"

#include "eos/attraction.hpp"
#include "thermo/phase.hpp"

#include <cmath>

namespace kolvar::thermo {

double pure_ln_phi_vapor(Eos eos, const Component& component, double temperature, double pressure)
{
    const ReducedParameters r = reduced_parameters(eos, component, temperature, pressure);
    const CubicCoefficients k = cubic_coefficients(r.a, r.b, r.u, r.w);
    const auto roots = solve_monic_cubic(k.c2, k.c1, k.c0);
    if (!roots) return 0.0;
    const auto root = select_root(*roots, r.b, Phase::Vapor);
    if (!root) return 0.0;
    const double z = *root;

    // Attraction term I = A * integral from Z to infinity of dZ'/(Z'^2 + U Z' + W).
    const double integral = attraction_integral(r.a, z, r.u, r.w).value;
    return (z - 1.0) - std::log(z - r.b) - integral;
}

}  // namespace kolvar::thermo
