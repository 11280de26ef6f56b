// One stage step: from a vapour composition on an operating line across to the
// equilibrium curve, or to the Murphree pseudo-equilibrium curve when the
// stage efficiency is below one.
#include "engine/binary/mccabe_thiele.hpp"

#include "kolvar/format.hpp"

#include <cmath>

namespace kolvar::engine {

Result<double> equilibrium_step(const EquilibriumCurve& curve, double slope, double intercept,
                                double murphree, double y, double x_upper)
{
    if (std::fabs(murphree - 1.0) < binary_limits::equal_tolerance) return curve.x_of_y(y);

    // P(x): the vapour leaving a real stage whose liquid is x, when the vapour
    // entering it from below lies on the operating line.
    const auto pseudo = [&](double x) -> Result<double> {
        const auto y_star = curve.y_of_x(x);
        if (!y_star) return y_star;
        const double on_line = slope * x + intercept;
        return on_line + murphree * (*y_star - on_line);
    };

    const auto p_low = pseudo(0.0);
    if (!p_low) return p_low;
    const auto p_high = pseudo(x_upper);
    if (!p_high) return p_high;
    if (*p_low > y || y > *p_high) {
        return not_converged(format::text("pseudo-equilibrium step cannot reach y = ", y,
                                          " (E_MV = ", murphree,
                                          ") — the staircase has pinched; raise R or E_MV"));
    }

    double lo = 0.0;
    double hi = x_upper;
    for (int halving = 0; halving < binary_limits::bisection_halvings; ++halving) {
        const double mid = (lo + hi) * 0.5;
        const auto p_mid = pseudo(mid);
        if (!p_mid) return p_mid;
        if (y > *p_mid) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return (lo + hi) * 0.5;
}

}  // namespace kolvar::engine
