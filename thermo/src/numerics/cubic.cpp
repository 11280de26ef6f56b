#include "thermo/cubic.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kolvar::thermo {
namespace {

constexpr double two_pi = 6.283185307179586;
// Repeated-root tests, relative to the rounding noise of the quantities
// tested. p and q are sums of terms that cancel (p = b - a^2/3 is -1/3 for
// the cubic (x-1)^2 (x-2), formed from 5 and 16/3), so their rounding error
// scales with the sizes of those terms, and the error of D = k^3 + h^2 with
// the first-order sensitivity 3 k^2 dk + 2 h dh. Being relative, the tests
// behave the same for roots near 1e-8 as for roots near 1; an absolute floor
// would push small, well separated roots into the repeated-root branch.
constexpr double repeated_root_tolerance = 1e-14;
constexpr double triple_root_tolerance = 1e-12;
// Sorted candidates closer than this, relative to the larger magnitude, are
// one root. Relative so that two distinct roots near 1e-8 are not merged.
constexpr double distinct_root_spacing = 1e-12;

// Sorts the candidates and keeps those more than `distinct_root_spacing`
// (relative) above the last kept one.
CubicRoots sorted_distinct(std::array<double, 3> candidates, unsigned n)
{
    auto order = [](double& lo, double& hi) {
        if (hi < lo) std::swap(lo, hi);
    };
    order(candidates[0], candidates[1]);
    if (n == 3) {
        order(candidates[1], candidates[2]);
        order(candidates[0], candidates[1]);
    }

    CubicRoots result;
    result.roots[0] = candidates[0];
    result.count = 1;
    for (unsigned i = 1; i < n; ++i) {
        const double last = result.roots[result.count - 1];
        const double magnitude = std::max(std::abs(candidates[i]), std::abs(last));
        if (std::abs(candidates[i] - last) > distinct_root_spacing * magnitude) {
            result.roots[result.count++] = candidates[i];
        }
    }
    return result;
}

CubicRoots single_root(double root)
{
    CubicRoots result;
    result.roots[0] = root;
    result.count = 1;
    return result;
}

// x^2 + q1 x + q0, the cubic divided by (x - root).
struct Quadratic {
    double q1;
    double q0;
};

// Divides x^3 + a x^2 + b x + c by (x - root). From the constant end
// (q0 = -c/root) when the root is at least the geometric mean of the root
// magnitudes, so that smaller roots keep their relative accuracy however many
// decades lie between them and this one; from the leading end otherwise.
Quadratic deflate(double a, double b, double c, double root)
{
    // |root| >= cbrt(|c|), compared without the cube root.
    if (root != 0.0 && std::abs(root) * root * root >= std::abs(c)) {
        const double q0 = -c / root;
        return {(q0 - b) / root, q0};
    }
    const double q1 = a + root;
    return {q1, b + root * q1};
}

// The root x1 (from the closed form) and those of the quotient quadratic
// x^2 + q1 x + q0 of the cubic by (x - x1). The quadratic's discriminant is
// free of the cancellation that D suffers when x1 is much larger than the
// other roots, so it decides whether they are two, one double, or (when the
// closed form allows complex roots) none.
CubicRoots with_quotient_roots(double a, double b, double c, double x1, bool may_be_complex)
{
    const Quadratic quadratic = deflate(a, b, c, x1);
    const double q1 = quadratic.q1;
    const double q0 = quadratic.q0;
    const double discriminant = q1 * q1 - 4.0 * q0;
    const double noise = q1 * q1 + 4.0 * std::abs(q0);
    if (discriminant > repeated_root_tolerance * noise) {
        // Two distinct real roots; w has no cancellation, q0/w gives the other.
        const double w = -(q1 + std::copysign(std::sqrt(discriminant), q1)) / 2.0;
        return sorted_distinct({x1, w, w != 0.0 ? q0 / w : 0.0}, 3);
    }
    if (may_be_complex && discriminant < -repeated_root_tolerance * noise) {
        // A lone real root smaller than the complex pair lost digits to the
        // shift by a/3; the product of the roots, x1 q0 = -c, restores them.
        const bool smaller_than_pair = x1 * x1 < std::abs(q0);
        return single_root(smaller_than_pair && q0 != 0.0 ? -c / q0 : x1);
    }
    return sorted_distinct({x1, -q1 / 2.0, 0.0}, 2);
}

}  // namespace

std::string CubicError::text() const
{
    switch (kind) {
    case Kind::LeadingNearZero:
        return format::text("leading coefficient is near zero (", a, "); not a cubic equation");
    case Kind::NonFinite:
        return format::text("non-finite coefficient: a=", a, ", b=", b, ", c=", c, ", d=", d);
    }
    return {};
}

std::expected<CubicRoots, CubicError> solve_monic_cubic(double a, double b, double c)
{
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c)) {
        return std::unexpected(CubicError{CubicError::Kind::NonFinite, 1.0, a, b, c});
    }

    // Depressed cubic t^3 + p t + q = 0 with x = t - a/3.
    const double p = b - a * a / 3.0;
    const double q = c + (2.0 * a * a * a / 27.0 - a * b / 3.0);
    const double h = q / 2.0;
    const double k = p / 3.0;
    const double discriminant = k * k * k + h * h;
    const double shift = a / 3.0;

    // Sizes of the terms p and q are formed from.
    const double p_size = std::abs(b) + a * a / 3.0;
    const double q_size = std::abs(c) + std::abs(2.0 * a * a * a / 27.0) + std::abs(a * b / 3.0);
    const double discriminant_noise = 3.0 * k * k * (p_size / 3.0) + 2.0 * std::abs(h) * (q_size / 2.0);

    if (std::isfinite(discriminant) && std::abs(discriminant) <= repeated_root_tolerance * discriminant_noise) {
        if (std::abs(p) <= triple_root_tolerance * p_size) {
            const double t = std::abs(q) <= triple_root_tolerance * q_size ? 0.0 : std::cbrt(-q);
            return single_root(t - shift);
        }
        // A double root and a simple one.
        const double double_root = -3.0 * q / (2.0 * p) - shift;
        const double simple_root = 3.0 * q / p - shift;
        if (!std::isfinite(double_root) || !std::isfinite(simple_root)) {
            return sorted_distinct({double_root, simple_root, 0.0}, 2);
        }
        if (std::abs(double_root) > std::abs(simple_root)) {
            // The simple root is the smaller: from the product of the roots.
            return sorted_distinct({double_root, -c / (double_root * double_root), 0.0}, 2);
        }
        // D is small relative to the largest root, which says little about
        // two much smaller ones: the quotient quadratic tells whether they
        // are a double root, two roots or a complex pair.
        return with_quotient_roots(a, b, c, simple_root, true);
    }

    if (discriminant > 0.0) {
        // One real root by Cardano's formula, t = u + v with u^3, v^3 =
        // -h -+ sqrt(D) and u v = -k. The cube root is taken of the sum without
        // cancellation and the other term follows from the product. The
        // quotient quadratic confirms that the other two roots are complex.
        const double r = std::sqrt(discriminant);
        const double u = std::cbrt(-h - std::copysign(r, h));
        const double root = u - k / u - shift;
        if (!std::isfinite(root)) return single_root(root);
        return with_quotient_roots(a, b, c, root, true);
    }

    // Three real roots (a NaN discriminant also ends here). The one of largest
    // magnitude is accurate to rounding; the other two lose digits to the
    // shift by a/3 when they are much smaller, so they come from the quotient.
    const double m = 2.0 * std::sqrt(-k);
    const double phi = std::acos(std::clamp(-h / std::sqrt(-k * k * k), -1.0, 1.0));
    // The largest and the smallest root; the middle one is never larger in
    // magnitude than both, so it is only needed when they are not finite.
    const double highest = m * std::cos(phi / 3.0) - shift;
    const double lowest = m * std::cos((phi + two_pi) / 3.0) - shift;
    const double largest = std::abs(lowest) > std::abs(highest) ? lowest : highest;
    if (!std::isfinite(largest)) {
        return sorted_distinct({highest, m * std::cos((phi - two_pi) / 3.0) - shift, lowest}, 3);
    }
    return with_quotient_roots(a, b, c, largest, false);
}

}  // namespace kolvar::thermo
