#include "mixture/phase_root.hpp"

#include <algorithm>
#include <cmath>

namespace kolvar::thermo {
namespace {

constexpr double two_pi = 6.283185307179586;
// The general solver treats |D| up to 1e-14 of its rounding noise as a
// repeated root; a million times that leaves no doubt about the count.
constexpr double clear_discriminant = 1e-8;

std::optional<double> above(double root, double b)
{
    if (b >= root) return std::nullopt;
    return root;
}

std::optional<double> general(const CubicRoots& roots, double b, Phase phase) { return select_root(roots, b, phase); }

}  // namespace

std::expected<std::optional<double>, CubicError> phase_root(const CubicCoefficients& k, double b, Phase phase)
{
    const double a = k.c2;
    const double c1 = k.c1;
    const double c0 = k.c0;
    if (!std::isfinite(a) || !std::isfinite(c1) || !std::isfinite(c0))
        return std::unexpected(CubicError{CubicError::Kind::NonFinite, 1.0, a, c1, c0});

    // The depressed cubic t^3 + p t + q with x = t - a/3, as the solver forms it.
    const double p = c1 - a * a / 3.0;
    const double q = c0 + (2.0 * a * a * a / 27.0 - a * c1 / 3.0);
    const double h = q / 2.0;
    const double kk = p / 3.0;
    const double discriminant = kk * kk * kk + h * h;
    const double shift = a / 3.0;
    const double p_size = std::abs(c1) + a * a / 3.0;
    const double q_size = std::abs(c0) + std::abs(2.0 * a * a * a / 27.0) + std::abs(a * c1 / 3.0);
    const double noise = 3.0 * kk * kk * (p_size / 3.0) + 2.0 * std::abs(h) * (q_size / 2.0);

    if (discriminant > clear_discriminant * noise && std::isfinite(discriminant)) {
        // One real root (Cardano, without cancellation in the cube root).
        const double r = std::sqrt(discriminant);
        const double u = std::cbrt(-h - std::copysign(r, h));
        const double root = u - kk / u - shift;
        if (std::isfinite(root)) return above(root, b);
    }
    else if (discriminant < -clear_discriminant * noise) {
        // Three well separated real roots: m cos((phi + 2 pi j)/3) - a/3.
        const double m = 2.0 * std::sqrt(-kk);
        const double phi = std::acos(std::clamp(-h / std::sqrt(-kk * kk * kk), -1.0, 1.0));
        const double highest = m * std::cos(phi / 3.0) - shift;
        if (phase == Phase::Vapor) {
            if (std::isfinite(highest)) return above(highest, b);
        }
        else {
            const double lowest = m * std::cos((phi + two_pi) / 3.0) - shift;
            if (std::isfinite(lowest) && lowest > b) return lowest;
            const double middle = m * std::cos((phi - two_pi) / 3.0) - shift;
            if (std::isfinite(middle) && std::isfinite(highest) && std::isfinite(lowest)) {
                if (middle > b) return middle;
                return above(highest, b);
            }
        }
    }
    const auto roots = solve_monic_cubic(a, c1, c0);
    if (!roots) return std::unexpected(roots.error());
    return general(*roots, b, phase);
}

}  // namespace kolvar::thermo
