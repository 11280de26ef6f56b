// Construction of equilibrium curves: the sample checks of from_points, the
// constant-relative-volatility grid and the shared point-count bound.
#include "engine/binary/equilibrium.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kolvar::engine {
namespace {

bool nondecreasing(std::span<const double> v)
{
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        if (!(v[i + 1] >= v[i])) return false;
    }
    return true;
}

// Sample counts, the x span and the strict increase of x.
Result<void> check_grid(std::span<const double> x, std::span<const double> y,
                        std::span<const double> t)
{
    const std::size_t n = x.size();
    if (n != y.size() || n < binary_limits::min_curve_points) {
        return invalid_input(
            format::text("x and y must have equal length ≥ 5, got ", n, " and ", y.size()));
    }
    if (!t.empty() && t.size() != n) {
        return invalid_input(
            format::text("t must be empty or match x's length ", n, ", got ", t.size()));
    }
    if (x.front() != 0.0 || x.back() != 1.0) {
        return invalid_input("x must span [0, 1] with x[0] = 0 and x[last] = 1");
    }
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (!(x[i + 1] > x[i])) return invalid_input("x must be strictly increasing");
    }
    return {};
}

// Every y within [0, 1] (a NaN fails).
Result<void> check_range(std::span<const double> y)
{
    for (double v : y) {
        if (!(v >= 0.0 && v <= 1.0)) return invalid_input("y values must lie in [0, 1]");
    }
    return {};
}

}  // namespace

Result<void> check_point_count(std::uint64_t n_points)
{
    if (n_points < binary_limits::min_curve_points) {
        return invalid_input(format::text("n_points must be at least ",
                                          binary_limits::min_curve_points, ", got ", n_points));
    }
    if (n_points > binary_limits::max_curve_points) {
        return invalid_input(format::text("n_points must be at most ",
                                          binary_limits::max_curve_points, ", got ", n_points));
    }
    return {};
}

double grid_point(std::uint64_t i, std::uint64_t n_points)
{
    return static_cast<double>(i) / static_cast<double>(n_points - 1);
}

EquilibriumCurve::EquilibriumCurve(std::vector<double> x, std::vector<double> y,
                                   std::vector<double> t, std::optional<double> pressure) noexcept
    : pressure_(pressure), x_(std::move(x)), y_(std::move(y)), t_(std::move(t)),
      y_sorted_(nondecreasing(y_))
{
}

Result<EquilibriumCurve> EquilibriumCurve::from_samples(std::vector<double> x,
                                                        std::vector<double> y,
                                                        std::vector<double> t,
                                                        std::optional<double> pressure)
{
    if (auto grid = check_grid(x, y, t); !grid) return std::unexpected(std::move(grid.error()));
    return EquilibriumCurve(std::move(x), std::move(y), std::move(t), pressure);
}

Result<EquilibriumCurve> EquilibriumCurve::restore(std::vector<double> x, std::vector<double> y,
                                                   std::vector<double> t, std::optional<double> pressure)
{
    if (auto grid = check_grid(x, y, t); !grid) return std::unexpected(std::move(grid.error()));
    if (auto range = check_range(y); !range) return std::unexpected(std::move(range.error()));
    // Only a sweep over a thermodynamic system turns back, and it keeps its
    // temperatures and pressure and runs from y = 0 to y = 1, so that every
    // y in [0, 1] can be looked up.
    const bool swept = pressure.has_value() && !t.empty() && y.front() == 0.0 && y.back() == 1.0;
    if (!swept && !nondecreasing(y)) {
        return invalid_input("y must be nondecreasing, unless the curve comes from a thermodynamic system "
                             "(temperatures, a pressure and y from 0 at x = 0 to 1 at x = 1)");
    }
    return EquilibriumCurve(std::move(x), std::move(y), std::move(t), pressure);
}

Result<EquilibriumCurve> EquilibriumCurve::from_points(std::vector<double> x,
                                                       std::vector<double> y,
                                                       std::vector<double> t,
                                                       std::optional<double> pressure)
{
    if (auto grid = check_grid(x, y, t); !grid) return std::unexpected(std::move(grid.error()));
    if (!nondecreasing(y)) {
        return invalid_input("y must be nondecreasing (binary VLE curves are monotone in x)");
    }
    if (auto range = check_range(y); !range) return std::unexpected(std::move(range.error()));
    return EquilibriumCurve(std::move(x), std::move(y), std::move(t), pressure);
}

Result<EquilibriumCurve> EquilibriumCurve::constant_alpha(double alpha, std::uint64_t n_points)
{
    if (!(alpha > 0.0)) {
        return invalid_input(format::text("alpha must be positive, got ", alpha));
    }
    if (!std::isfinite(alpha)) {
        return invalid_input(format::text("alpha must be finite, got ", alpha));
    }
    if (auto counted = check_point_count(n_points); !counted) {
        return std::unexpected(std::move(counted.error()));
    }
    const auto n = static_cast<std::size_t>(n_points);
    std::vector<double> x(n);
    std::vector<double> y(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double xi = grid_point(i, n_points);
        x[i] = xi;
        y[i] = (xi * alpha) / ((alpha - 1.0) * xi + 1.0);
    }
    // At x = 1 the formula is alpha/alpha = 1 for every alpha. Evaluated as
    // written, alpha - 1 + 1 loses alpha's low digits when alpha < 1: the end
    // sample would be 1 +- 2e-16, or 0.9, or +inf for alpha below 1e-16.
    y[n - 1] = 1.0;
    // For alpha near 1e15 and above the samples near y = 1 round one unit
    // either way: keep them nondecreasing and within [0, 1], as the formula is.
    for (std::size_t i = 1; i + 1 < n; ++i) y[i] = std::clamp(y[i], y[i - 1], 1.0);
    return EquilibriumCurve(std::move(x), std::move(y), {}, std::nullopt);
}

}  // namespace kolvar::engine
