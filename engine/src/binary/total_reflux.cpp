// The total-reflux staircase: both operating lines lie on the diagonal, so
// every stage's vapour is the liquid of the stage above. Its fractional stage
// count is the minimum N_min.
#include "engine/binary/total_reflux.hpp"

#include "design_checks.hpp"

#include "kolvar/format.hpp"

namespace kolvar::engine {

Result<TotalRefluxResult> total_reflux(const EquilibriumCurve& curve, double x_distillate,
                                       double x_bottoms, double murphree)
{
    const double x_d = x_distillate;
    const double x_b = x_bottoms;
    if (!(x_d < 1.0 && x_b > 0.0 && x_b < x_d)) {
        return invalid_input(
            format::text("need 0 < x_B < x_D < 1, got x_B = ", x_b, ", x_D = ", x_d));
    }
    if (!detail::valid_murphree(murphree)) return detail::bad_murphree(murphree);

    TotalRefluxResult result;
    result.stages.reserve(32);
    result.staircase.reserve(64);
    result.staircase.push_back({x_d, x_d});
    double x_prev = x_d;
    for (std::uint64_t n = 1; n <= binary_limits::max_stages; ++n) {
        const auto step = equilibrium_step(curve, 1.0, 0.0, murphree, x_prev, x_prev);
        if (!step) return std::unexpected(step.error());
        const double x_n = *step;
        result.staircase.push_back({x_n, x_prev});
        result.stages.push_back({n, x_n, x_prev});

        if (x_n <= x_b) {
            result.n_min = static_cast<double>(n - 1) + detail::last_stage_fraction(x_prev, x_n, x_b);
            return result;
        }
        if (x_prev - x_n < binary_limits::min_stage_progress) {
            return not_converged(format::text("total-reflux staircase pinched at x = ",
                                              format::Fixed{x_n, 6},
                                              " (azeotrope between x_B and x_D?)"));
        }
        result.staircase.push_back({x_n, x_n});
        x_prev = x_n;
    }
    return not_converged(format::text("exceeded ", binary_limits::max_stages,
                                      " stages at total reflux — x_B = ", x_b, " unreachable"));
}

}  // namespace kolvar::engine
