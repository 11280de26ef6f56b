// The sampled binary vapour-liquid equilibrium curve y*(x) on which the
// graphical design runs: liquid compositions x, equilibrium vapour
// compositions y*, optionally bubble temperatures T, and optionally the
// pressure the curve belongs to. Queries interpolate linearly between samples.
//
// Compositions are light-component mole fractions, temperatures in K,
// pressures in kPa absolute. Every failure is InvalidInput.
#pragma once

#include "engine/binary/limits.hpp"
#include "engine/error.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kolvar::engine {

// How the abscissas handed to interpolate are ordered.
enum class Abscissas : unsigned {
    Sorted = 0,    // nondecreasing: the segment is found by binary search
    Unsorted = 1,  // any order: the segment is found by a linear scan
};

// Linear interpolation of the ordinates b over the abscissas a (same length,
// at least one entry) at q.
//
// q must lie within [a[0] - 1e-12, a[last] + 1e-12], else (and for NaN)
// "query {q} outside the sampled range [{a[0]}, {a[last]}]". q is clamped to
// [a[0], a[last]]; with k the index of the first abscissa >= q in array order,
// k = 0 returns b[0], otherwise the value on the segment (k-1, k) is returned
// (b[k-1] when that segment has zero width). Allocates nothing on success.
Result<double> interpolate(std::span<const double> a, std::span<const double> b, double q,
                           Abscissas order = Abscissas::Sorted);

// Checks a requested sample count for a grid constructor:
// "n_points must be at least 5, got {n}" and
// "n_points must be at most 100000000, got {n}".
Result<void> check_point_count(std::uint64_t n_points);

// The even grid point x_i = i / (n - 1), computed in doubles; exactly 0 for
// i = 0 and exactly 1 for i = n - 1. Needs n >= 2.
double grid_point(std::uint64_t i, std::uint64_t n_points);

class EquilibriumCurve {
public:
    // A curve from measured or digitised samples, stored as given. Checks, in
    // order, each failing with its own message:
    //   "x and y must have equal length ≥ 5, got {len(x)} and {len(y)}"
    //   "t must be empty or match x's length {len(x)}, got {len(t)}"
    //   "x must span [0, 1] with x[0] = 0 and x[last] = 1"
    //   "x must be strictly increasing"
    //   "y must be nondecreasing (binary VLE curves are monotone in x)"
    //   "y values must lie in [0, 1]"
    // An empty t means no temperatures; t and pressure are not checked.
    static Result<EquilibriumCurve> from_points(std::vector<double> x, std::vector<double> y,
                                                std::vector<double> t = {},
                                                std::optional<double> pressure = std::nullopt);

    // The constant-relative-volatility curve y = alpha x / ((alpha - 1) x + 1)
    // on the even grid of n_points samples; no temperatures, no pressure.
    // Checks, in order: "alpha must be positive, got {alpha}",
    // "alpha must be finite, got {alpha}", then check_point_count.
    static Result<EquilibriumCurve> constant_alpha(
        double alpha, std::uint64_t n_points = binary_limits::default_curve_points);

    // A curve from computed samples (the sweep over a thermodynamic system
    // builds on this): checks 1-4 of from_points, with their messages, but
    // takes y as it comes, in any order and range. x_of_y on a curve whose y
    // is not nondecreasing scans for the first sample that reaches the query.
    static Result<EquilibriumCurve> from_samples(std::vector<double> x, std::vector<double> y,
                                                 std::vector<double> t,
                                                 std::optional<double> pressure);

    // A curve read back from its samples: checks 1-4 of from_points, then
    // "y values must lie in [0, 1]", as every constructor's y does, then y
    // nondecreasing ("y must be nondecreasing, unless the curve comes from a
    // thermodynamic system (temperatures, a pressure and y from 0 at x = 0 to
    // 1 at x = 1)"): a sweep over a thermodynamic system can turn back, and
    // keeps all of that.
    static Result<EquilibriumCurve> restore(std::vector<double> x, std::vector<double> y, std::vector<double> t,
                                            std::optional<double> pressure);

    std::span<const double> x() const noexcept { return x_; }
    std::span<const double> y() const noexcept { return y_; }
    // Bubble temperatures, empty for a synthetic curve.
    std::span<const double> t() const noexcept { return t_; }
    std::optional<double> pressure() const noexcept { return pressure_; }

    std::size_t size() const noexcept { return x_.size(); }
    bool has_temperatures() const noexcept { return !t_.empty(); }
    // Whether y is nondecreasing, which lets x_of_y search it by bisection.
    bool y_sorted() const noexcept { return y_sorted_; }

    // interpolate(x, y, x).
    Result<double> y_of_x(double x) const;
    // interpolate(y, x, y): the inverse. On a curve whose y is not monotone
    // the segment is the first one whose upper y reaches the query.
    Result<double> x_of_y(double y) const;
    // interpolate(x, t, x); fails with
    // "this curve has no temperature data (synthetic curve)" when t is empty.
    Result<double> temperature_of_x(double x) const;
    // (y/(1-y)) / (x/(1-x)) with y = y_of_x(x); needs 0 < x < 1, else
    // "relative volatility needs x strictly inside (0, 1), got {x}".
    Result<double> relative_volatility(double x) const;

private:
    // Takes samples that already hold the invariants: equal lengths >= 5, x
    // strictly increasing from exactly 0 to exactly 1, t empty or as long as x.
    EquilibriumCurve(std::vector<double> x, std::vector<double> y, std::vector<double> t,
                     std::optional<double> pressure) noexcept;

    std::optional<double> pressure_;
    std::vector<double> x_;
    std::vector<double> y_;
    std::vector<double> t_;
    bool y_sorted_ = true;
};

}  // namespace kolvar::engine
