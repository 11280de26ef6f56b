#include "mixture/phase_root.hpp"

#include <algorithm>
#include <cmath>

namespace kolvar::thermo {
namespace {

constexpr double two_pi = 6.283185307179586;
// The general solver treats |D| up to 1e-14 of its rounding noise as a
// repeated root; a million times that leaves no doubt about the count.
constexpr double clear_discriminant = 1e-8;
// Bound on the error of a root from cos_two_thirds_acos, relative to the
// roots' size m, with room to spare.
constexpr double approximation_margin = 1e-9;

// cos(2 acos(s)/3) for s in [0, 1] to within 1.1e-11: a degree-11 fit in
// powers of s (the function is analytic on the whole interval), evaluated in
// Estrin's scheme. With s = cos(phi/2) it is cos(phi/3); with s = sin(phi/2)
// it is -cos((phi + 2 pi)/3).
double cos_two_thirds_acos(double s)
{
    constexpr double c[12] = {0.5000000000105894,    0.5773502660436038,    -0.11111095538673259,
                              0.05345531267539771,   -0.0328906593258684,   0.022676971393568404,
                              -0.016305842682084366, 0.011273854930060048,  -0.00673853427945211,
                              0.0030672140675612283, -0.0009032547163741575, 0.00012562727753098973};
    const double s2 = s * s;
    const double s4 = s2 * s2;
    const double low = (c[0] + c[1] * s) + (c[2] + c[3] * s) * s2;
    const double mid = (c[4] + c[5] * s) + (c[6] + c[7] * s) * s2;
    const double high = (c[8] + c[9] * s) + (c[10] + c[11] * s) * s2;
    return low + (mid + high * s4) * s4;
}

// A Newton step on the cubic, none where its slope vanishes.
double newton_step(double z, const CubicCoefficients& k)
{
    const double slope = (3.0 * z + 2.0 * k.c2) * z + k.c1;
    if (slope < 1e-10 && slope > -1e-10) return z;
    return z - (((z + k.c2) * z + k.c1) * z + k.c0) / slope;
}

std::optional<double> polished_above(double root, double b, const CubicCoefficients& k)
{
    if (b >= root) return std::nullopt;
    return newton_step(root, k);
}

// A root within about 1e-11 of the size of the roots: a Newton step, and a
// second when the error the first leaves, |f''| dz^2 / (2 |f'|), may exceed
// the rounding of the root (as for a root much smaller than the others).
double polish_approximate(double z, const CubicCoefficients& k)
{
    for (int step = 0; step < 2; ++step) {
        const double slope = (3.0 * z + 2.0 * k.c2) * z + k.c1;
        if (slope < 1e-10 && slope > -1e-10) return z;
        const double dz = (((z + k.c2) * z + k.c1) * z + k.c0) / slope;
        z -= dz;
        const double curvature = 6.0 * z + 2.0 * k.c2;
        if (std::abs(curvature * dz * dz) <= 2e-16 * std::abs(slope * z)) return z;
    }
    return z;
}

// The full solver's roots, the phase's choice, two Newton steps.
std::expected<std::optional<double>, CubicError> general_root(const CubicCoefficients& k, double b, Phase phase)
{
    const auto roots = solve_monic_cubic(k.c2, k.c1, k.c0);
    if (!roots) return std::unexpected(roots.error());
    const auto root = select_root(*roots, b, phase);
    if (!root) return std::nullopt;
    return newton_step(newton_step(*root, k), k);
}

}  // namespace

std::expected<std::optional<double>, CubicError> phase_root(const CubicCoefficients& k, double b, Phase phase)
{
    const double a = k.c2;
    const double c1 = k.c1;
    const double c0 = k.c0;
    if (!std::isfinite(a) || !std::isfinite(c1) || !std::isfinite(c0))
        return std::unexpected(CubicError{CubicError::Kind::NonFinite, 1.0, a, c1, c0});

    // The depressed cubic t^3 + p t + q with x = t - a/3, as the solver forms
    // it (thirds as products, which moves nothing but the last bits).
    constexpr double third = 1.0 / 3.0;
    const double a2 = a * a;
    const double shift = a * third;
    const double cube_term = 2.0 / 27.0 * a2 * a;
    const double cross_term = a * c1 * third;
    const double p = c1 - a2 * third;
    const double h = 0.5 * (c0 + (cube_term - cross_term));
    const double kk = p * third;
    const double discriminant = kk * kk * kk + h * h;
    // The rounding noise of D, as the solver judges repeated roots.
    const double p_size = std::abs(c1) + a2 * third;
    const double q_size = std::abs(c0) + std::abs(cube_term) + std::abs(cross_term);
    const double noise = kk * kk * p_size + std::abs(h) * q_size;

    if (discriminant > clear_discriminant * noise && std::isfinite(discriminant)) {
        // One real root (Cardano, without cancellation in the cube root).
        const double r = std::sqrt(discriminant);
        const double u = std::cbrt(-h - std::copysign(r, h));
        const double v = kk / u;
        const double root = u - v - shift;
        // The sum cancels when the root is small beside its terms; within its
        // rounding of B the full solver (which restores such a root from the
        // product of the roots) decides the side.
        const double rounding = 1e-13 * (std::abs(u) + std::abs(v) + std::abs(shift));
        if (std::isfinite(root) && std::abs(root - b) > rounding) return polished_above(root, b, k);
    }
    else if (discriminant < -clear_discriminant * noise) {
        // Three well separated real roots: m cos((phi + 2 pi j)/3) - a/3 with
        // cos(phi) = tau, the largest for j = 0, the smallest for j = 1, the
        // middle for j = -1. The cosines of the first two come from
        // cos_two_thirds_acos (no acos, no cos), good to 1e-11 before polishing.
        const double root_k = std::sqrt(-kk);
        const double m = 2.0 * root_k;
        const double tau = std::clamp(-h / (-kk * root_k), -1.0, 1.0);
        // A root that close to B is left to the full solver, which places it
        // exactly on one side.
        const double margin = approximation_margin * m;
        if (phase == Phase::Vapor) {
            const double highest = m * cos_two_thirds_acos(std::sqrt(0.5 * (1.0 + tau))) - shift;
            if (std::isfinite(highest) && std::abs(highest - b) > margin) {
                if (b > highest) return std::nullopt;
                return polish_approximate(highest, k);
            }
        }
        else {
            const double lowest = -m * cos_two_thirds_acos(std::sqrt(0.5 * (1.0 - tau))) - shift;
            if (std::isfinite(lowest) && lowest - b > margin) return polish_approximate(lowest, k);
            if (!(std::abs(lowest - b) > margin)) return general_root(k, b, phase);
            const double phi = std::acos(tau);
            const double middle = m * std::cos((phi - two_pi) * third) - shift;
            const double highest = m * std::cos(phi * third) - shift;
            if (std::isfinite(middle) && std::isfinite(highest) && std::isfinite(lowest)) {
                if (middle > b) return newton_step(middle, k);
                return polished_above(highest, b, k);
            }
        }
    }
    return general_root(k, b, phase);
}

}  // namespace kolvar::thermo
