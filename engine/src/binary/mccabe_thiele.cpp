// The McCabe-Thiele construction: checks, operating lines, their
// intersection on the q-line, the minimum-reflux test, and the staircase
// stepped from (x_D, x_D) down to x_B with the switch to the stripping line
// at the optimal feed stage.
#include "engine/binary/mccabe_thiele.hpp"

#include "construction.hpp"
#include "design_checks.hpp"

#include "kolvar/format.hpp"

#include <cmath>

namespace kolvar::engine {
namespace {

constexpr double tol = binary_limits::equal_tolerance;

// Corners reserved up front; typical designs need fewer, longer ones grow.
constexpr std::size_t reserved_stages = 32;

}  // namespace

Result<void> check_spec(const McCabeThieleSpec& spec)
{
    if (auto ok = detail::check_compositions(spec.x_distillate, spec.x_bottoms, spec.z_feed); !ok) return ok;
    if (!(spec.reflux > 0.0)) {
        return invalid_input(format::text("reflux ratio must be positive, got ", spec.reflux));
    }
    // R/(R+1) is NaN for an infinite R: the lines, their intersection and any
    // staircase built on them would be meaningless (total reflux has its own
    // construction).
    if (!std::isfinite(spec.reflux)) {
        return invalid_input(format::text("reflux ratio must be finite, got ", spec.reflux));
    }
    if (!detail::valid_murphree(spec.murphree)) return detail::bad_murphree(spec.murphree);
    return {};
}

Line rectifying_line(const McCabeThieleSpec& spec)
{
    const double r = spec.reflux;
    return Line{r / (r + 1.0), spec.x_distillate / (r + 1.0)};
}

// Where the rectifying line meets the q-line y = q/(q-1) x - z_F/(q-1).
Result<Point> operating_intersection(const McCabeThieleSpec& spec)
{
    const Line rectifying = rectifying_line(spec);
    const double z = spec.z_feed;
    double x_int;
    if (std::fabs(spec.q - 1.0) < tol) {
        x_int = z;  // vertical q-line
    } else {
        const double m = spec.q / (spec.q - 1.0);
        if (std::fabs(rectifying.slope - m) < tol) {
            return infeasible("q-line is parallel to the rectifying line (degenerate q/R combination)");
        }
        x_int = (z - m * z - rectifying.intercept) / (rectifying.slope - m);
    }
    const double y_int = rectifying.slope * x_int + rectifying.intercept;
    if (x_int > y_int) {
        return not_converged(format::text("operating-line intersection (", format::Fixed{x_int, 4},
                                          ", ", format::Fixed{y_int, 4},
                                          ") fell below the diagonal — R = ", spec.reflux,
                                          " is below R_min for this q"));
    }
    return Point{x_int, y_int};
}

Line stripping_line(const McCabeThieleSpec& spec, Point intersection)
{
    const double x_b = spec.x_bottoms;
    const double s_s = (intersection.y - x_b) / (intersection.x - x_b);
    return Line{s_s, x_b - x_b * s_s};
}

namespace detail {

Result<void> construct(const EquilibriumCurve& curve, McCabeThieleResult& out, bool record,
                       const RminResult* known_minimum)
{
    const McCabeThieleSpec& spec = out.spec;
    if (auto valid = check_spec(spec); !valid) return valid;

    const double x_d = spec.x_distillate;
    const double x_b = spec.x_bottoms;
    const double r = spec.reflux;
    out.rectifying = rectifying_line(spec);

    const auto intersection = operating_intersection(spec);
    if (!intersection) return std::unexpected(intersection.error());
    out.intersection = *intersection;

    if (known_minimum != nullptr) {
        out.rmin = *known_minimum;
    } else {
        auto minimum = rmin(curve, x_d, x_b, spec.z_feed, spec.q);
        if (!minimum) return std::unexpected(std::move(minimum.error()));
        out.rmin = *minimum;
    }
    const double r_min = out.rmin.r_min;
    const double x_int = intersection->x;
    // Above R_min the intersection lies right of x_B (positive boil-up); the
    // second test only catches rounding right at the zero-boil-up limit.
    if (r_min >= r || !(x_int > x_b)) {
        return not_converged(format::text("R = ", r, " ≤ R_min = ", format::Fixed{r_min, 6},
                                          ": the staircase pinches before reaching x_B"));
    }

    out.stripping = stripping_line(spec, *intersection);

    if (record) out.staircase.push_back({x_d, x_d});
    double x_prev = x_d;
    double y = x_d;
    bool switched = false;
    for (std::uint64_t n = 1; n <= binary_limits::max_stages; ++n) {
        const Line& line = switched ? out.stripping : out.rectifying;
        const auto step = equilibrium_step(curve, line.slope, line.intercept, spec.murphree, y, x_prev);
        if (!step) return std::unexpected(step.error());
        const double x_n = *step;
        if (record) {
            out.staircase.push_back({x_n, y});
            out.stages.push_back({n, x_n, y});
        }

        if (x_n <= x_b) {
            out.n_stages = static_cast<double>(n - 1) + detail::last_stage_fraction(x_prev, x_n, x_b);
            if (!switched) out.feed_stage = n;
            return {};
        }
        if (x_prev - x_n < binary_limits::min_stage_progress) {
            return not_converged(format::text("staircase pinched at x = ", format::Fixed{x_n, 6},
                                              " after ", n, " stages (R too close to R_min = ",
                                              format::Fixed{r_min, 6}, ")"));
        }
        if (!switched && x_n <= x_int) {
            switched = true;
            out.feed_stage = n;
        }
        const Line& next = switched ? out.stripping : out.rectifying;
        y = next.slope * x_n + next.intercept;
        if (record) out.staircase.push_back({x_n, y});
        x_prev = x_n;
    }
    return not_converged(format::text("exceeded ", binary_limits::max_stages,
                                      " stages without reaching x_B = ", x_b, " — spec pinched"));
}

}  // namespace detail

Result<McCabeThieleResult> mccabe_thiele(const EquilibriumCurve& curve,
                                         const McCabeThieleSpec& spec)
{
    McCabeThieleResult result;
    result.spec = spec;
    result.stages.reserve(reserved_stages);
    result.staircase.reserve(2 * reserved_stages);
    if (auto built = detail::construct(curve, result, true, nullptr); !built) {
        return std::unexpected(std::move(built.error()));
    }
    return result;
}

}  // namespace kolvar::engine
