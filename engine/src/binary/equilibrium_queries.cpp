// Linear interpolation on the samples and the four curve queries built on it.
// These sit on the hot path of every staircase, so a successful query
// allocates nothing and costs one search plus a few flops.
#include "engine/binary/equilibrium.hpp"

#include "sampled_segment.hpp"

#include "kolvar/format.hpp"

#include <cmath>

namespace kolvar::engine {
namespace {

[[gnu::cold, gnu::noinline]] std::unexpected<EngineError> out_of_range(double q, double lo, double hi)
{
    return invalid_input(
        format::text("query ", q, " outside the sampled range [", lo, ", ", hi, "]"));
}

// Index of the first entry >= c, in array order.
std::size_t first_at_least(std::span<const double> a, double c, Abscissas order)
{
    if (order == Abscissas::Sorted) return detail::first_at_least_sorted(a, c);
    std::size_t k = 0;
    while (k < a.size() && !(a[k] >= c)) ++k;
    return k;
}

}  // namespace

Result<double> interpolate(std::span<const double> a, std::span<const double> b, double q,
                           Abscissas order)
{
    const std::size_t n = a.size();
    const double lo = a[0];
    const double hi = a[n - 1];
    // Written so that a NaN query fails too.
    if (!(lo - binary_limits::equal_tolerance <= q && q <= hi + binary_limits::equal_tolerance)) {
        return out_of_range(q, lo, hi);
    }
    const double c = detail::clamp_to(q, lo, hi);
    return detail::value_on_segment(a, b, first_at_least(a, c, order), c);
}

Result<double> EquilibriumCurve::y_of_x(double x) const
{
    return interpolate(x_, y_, x, Abscissas::Sorted);
}

Result<double> EquilibriumCurve::x_of_y(double y) const
{
    return interpolate(y_, x_, y, y_sorted_ ? Abscissas::Sorted : Abscissas::Unsorted);
}

Result<double> EquilibriumCurve::temperature_of_x(double x) const
{
    if (t_.empty()) {
        return invalid_input("this curve has no temperature data (synthetic curve)");
    }
    return interpolate(x_, t_, x, Abscissas::Sorted);
}

Result<double> EquilibriumCurve::relative_volatility(double x) const
{
    if (!(x > 0.0 && x < 1.0)) {
        return invalid_input(
            format::text("relative volatility needs x strictly inside (0, 1), got ", x));
    }
    const auto y = y_of_x(x);
    if (!y) return y;
    return (*y / (1.0 - *y)) / (x / (1.0 - x));
}

}  // namespace kolvar::engine
