// One stage step: from a vapour composition on an operating line across to the
// equilibrium curve, or to the Murphree pseudo-equilibrium curve when the
// stage efficiency is below one.
#include "engine/binary/mccabe_thiele.hpp"

#include "sampled_segment.hpp"

#include "kolvar/format.hpp"

#include <cmath>

namespace kolvar::engine {
namespace {

// y*(x) for queries already known to lie in the sampled range, as y_of_x
// computes it. After a few halvings the bisection stays within one segment,
// so the segment of the previous query is tried before searching.
class CurveCursor {
public:
    explicit CurveCursor(const EquilibriumCurve& curve) : x_(curve.x()), y_(curve.y()) {}

    double y_at(double q)
    {
        const double c = detail::clamp_to(q, x_.front(), x_.back());
        if (!(k_ > 0 && x_[k_ - 1] < c && c <= x_[k_])) k_ = detail::first_at_least_sorted(x_, c);
        return detail::value_on_segment(x_, y_, k_, c);
    }

private:
    std::span<const double> x_;
    std::span<const double> y_;
    std::size_t k_ = 0;
};

}  // namespace

Result<double> equilibrium_step(const EquilibriumCurve& curve, double slope, double intercept,
                                double murphree, double y, double x_upper)
{
    if (std::fabs(murphree - 1.0) < binary_limits::equal_tolerance) return curve.x_of_y(y);

    // P(x): the vapour leaving a real stage whose liquid is x, when the vapour
    // entering it from below lies on the operating line.
    const auto pseudo = [&](double x, double y_star) {
        const double on_line = slope * x + intercept;
        return on_line + murphree * (y_star - on_line);
    };

    const auto y_low = curve.y_of_x(0.0);
    if (!y_low) return y_low;
    const auto y_high = curve.y_of_x(x_upper);
    if (!y_high) return y_high;
    if (pseudo(0.0, *y_low) > y || y > pseudo(x_upper, *y_high)) {
        return not_converged(format::text("pseudo-equilibrium step cannot reach y = ", y,
                                          " (E_MV = ", murphree,
                                          ") — the staircase has pinched; raise R or E_MV"));
    }

    // Every midpoint lies in [0, x_upper], inside the range both ends passed.
    CurveCursor cursor(curve);
    double lo = 0.0;
    double hi = x_upper;
    for (int halving = 0; halving < binary_limits::bisection_halvings; ++halving) {
        const double mid = (lo + hi) * 0.5;
        if (y > pseudo(mid, cursor.y_at(mid))) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return (lo + hi) * 0.5;
}

}  // namespace kolvar::engine
