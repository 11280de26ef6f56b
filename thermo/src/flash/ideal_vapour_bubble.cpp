#include "flash/ideal_vapour_bubble.hpp"

#include "flash/incipient_newton.hpp"
#include "flash/model_checks.hpp"
#include "flash/pressure_solver.hpp"
#include "numerics/dual.hpp"
#include "thermo/phase_fugacity.hpp"

#include <cmath>
#include <variant>

namespace kolvar::thermo::flash {
namespace {

// Newton on 1/T moves T by at most this fraction per step.
constexpr double largest_step = 0.1;

bool takes(const SystemSpec& spec)
{
    const bool activity_liquid = std::holds_alternative<liquid::GammaPhi>(spec.liquid) ||
                                 std::holds_alternative<liquid::IdealSolution>(spec.liquid);
    return activity_liquid && spec.vapor.kind == VaporModel::Kind::IdealGas;
}

}  // namespace

std::optional<IncipientPoint> ideal_vapour_bubble_temperature(const SystemSpec& spec, double pressure,
                                                              std::span<const double> x, double tolerance,
                                                              unsigned max_iterations)
{
    const std::size_t n = spec.components.size();
    if (!takes(spec) || !well_formed(x, n) || !std::isfinite(pressure) || !(pressure > 0.0) || spec.stop())
        return std::nullopt;
    if (!check_models(spec, n)) return std::nullopt;
    const std::optional<double> start = wilson_temperature(spec.components, pressure, x, Direction::Bubble);
    if (!start || !(*start >= scan_low) || !(*start <= scan_low + scan_span)) return std::nullopt;

    double t = *start;
    SmallVector<Dual, 8> ln_k(n);
    for (unsigned iteration = 0; iteration < max_iterations; ++iteration) {
        BasicPhaseFugacity<Dual> phases(spec, Dual{t, 1.0}, pressure);
        if (!phases.ln_coefficients(Phase::Liquid, x, ln_k)) return std::nullopt;
        // F = ln sum x_i K_i and its slope dF/dT, the sum scaled by its
        // largest term.
        double top = -HUGE_VAL;
        for (std::size_t i = 0; i < n; ++i)
            if (x[i] > 0.0) top = std::fmax(top, ln_k[i].value);
        double sum = 0.0;
        double slope = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!(x[i] > 0.0)) continue;
            const double term = x[i] * std::exp(ln_k[i].value - top);
            sum += term;
            slope += term * ln_k[i].dt;
        }
        const double f = std::log(sum) + top;
        slope /= sum;
        if (!std::isfinite(f) || !std::isfinite(slope) || !(slope > 0.0)) return std::nullopt;
        if (std::abs(f) < tolerance) {
            IncipientPoint point{t, std::vector<double>(n), std::vector<double>(n)};
            const double s = std::exp(f);
            for (std::size_t i = 0; i < n; ++i) {
                point.k[i] = std::exp(ln_k[i].value);
                point.y[i] = x[i] * point.k[i] / s;
            }
            if (non_finite_result(point.k, point.y, t, pressure)) return std::nullopt;
            return point;
        }
        // Newton on u = 1/T, in which ln Psat and so F are nearly linear:
        // dF/du = -T^2 dF/dT.
        const double u = 1.0 / t + f / (t * t * slope);
        double next = 1.0 / u;
        if (!(u > 0.0) || !std::isfinite(next)) next = t * (1.0 + largest_step);
        next = std::fmin(std::fmax(next, t * (1.0 - largest_step)), t * (1.0 + largest_step));
        if (!(next >= scan_low) || !(next <= scan_low + scan_span)) return std::nullopt;
        t = next;
    }
    return std::nullopt;
}

}  // namespace kolvar::thermo::flash
