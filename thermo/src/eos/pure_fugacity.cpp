// Fugacity coefficient of a pure component as a vapour.
#include "thermo/eos.hpp"
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
    const double delta = r.u * r.u - 4.0 * r.w;
    const double scale = std::fmax(r.u * r.u, 4.0 * std::abs(r.w));
    double integral;
    if (std::abs(delta) <= 1e-12 * std::fmax(scale, 1e-300)) {
        integral = 2.0 * r.a / (2.0 * z + r.u);  // coinciding constants, as in the VdW family
    }
    else if (delta > 0.0) {
        const double s = std::sqrt(delta);
        integral = (r.a / s) * std::log((2.0 * z + r.u + s) / (2.0 * z + r.u - s));
    }
    else {
        const double s = std::sqrt(-delta);
        integral = (2.0 * r.a / s) * (1.5707963267948966 - std::atan((2.0 * z + r.u) / s));
    }
    return (z - 1.0) - std::log(z - r.b) - integral;
}

}  // namespace kolvar::thermo
