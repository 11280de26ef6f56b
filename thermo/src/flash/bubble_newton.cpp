#include "flash/bubble_newton.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolvar::thermo::flash {
namespace {

using List = SmallVector<double, 8>;

constexpr double wilson_constant = 5.373;
constexpr double residual_tolerance = 1e-11;  // |ln sum x K| of a converged pass
constexpr double change_tolerance = 1e-10;    // largest |ln(K_new/K_old)| of a converged pass
constexpr double largest_temperature_step = 0.1;  // relative
constexpr double largest_log_pressure_step = 1.0;
// Liquid and vapour count as distinct phases when some |ln K_i| or the
// relative gap between the two roots exceeds this.
constexpr double distinct_tolerance = 1e-5;
// A general result whose ln(x_i phi_i) differ between the phases by more
// than unequal_fugacity is no equilibrium; with every |ln K_i| and the
// relative gap between the roots below approaching_trivial it is the
// substitution stopped on its way to K = 1.
constexpr double approaching_trivial = 1e-3;
constexpr double unequal_fugacity = 1e-8;

}  // namespace

bool well_formed(std::span<const double> x, std::size_t n)
{
    if (x.size() != n) return false;
    double sum = 0.0;
    for (double v : x) {
        if (!(v >= 0.0) || !std::isfinite(v)) return false;
        sum += v;
    }
    return std::abs(sum - 1.0) <= 1e-12;
}

bool distinct_phases(double z_liquid, double z_vapour, std::span<const double> k)
{
    const double scale = std::fmax(std::abs(z_liquid), std::abs(z_vapour));
    if (std::abs(z_liquid - z_vapour) > distinct_tolerance * scale) return true;
    for (double v : k)
        if (std::abs(std::log(v)) > distinct_tolerance) return true;
    return false;
}

bool distinct_phases(const NewtonBubble& b) { return distinct_phases(b.z_liquid, b.z_vapour, b.k); }

Judgement judge(const SystemSpec& spec, double temperature, double pressure, std::span<const double> x,
                const IncipientPoint& point)
{
    const auto mixture = classical_mixture(spec);
    const std::size_t n = x.size();
    if (!mixture || !well_formed(x, mixture->size()) || point.y.size() != n || point.k.size() != n)
        return {};
    CubicState state;
    state.prepare(*mixture, temperature, pressure);
    List liquid(n), vapour(n);
    const auto z_liquid = state.ln_phi(*mixture, x, Phase::Liquid, liquid, nullptr);
    const auto z_vapour = state.ln_phi(*mixture, point.y, Phase::Vapor, vapour, nullptr);
    if (!z_liquid || !z_vapour) return {};
    double ln_k = 0.0;
    double fugacity_gap = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        ln_k = std::fmax(ln_k, std::abs(std::log(point.k[i])));
        if (x[i] > 0.0)
            fugacity_gap = std::fmax(fugacity_gap,
                                     std::abs(std::log(x[i]) + liquid[i] - std::log(point.y[i]) - vapour[i]));
    }
    if (!distinct_phases(*z_liquid, *z_vapour, point.k)) return {Verdict::Trivial, fugacity_gap};
    if (!(fugacity_gap > unequal_fugacity)) return {Verdict::Answer, fugacity_gap};
    const double scale = std::fmax(std::abs(*z_liquid), std::abs(*z_vapour));
    const bool near_trivial =
        ln_k < approaching_trivial && std::abs(*z_liquid - *z_vapour) < approaching_trivial * scale;
    return {near_trivial ? Verdict::Trivial : Verdict::Unsettled, fugacity_gap};
}

std::optional<IncipientPoint> settled(const SystemSpec& spec, Unknown unknown, double temperature, double pressure,
                                      std::span<const double> x, const IncipientPoint& point, double tolerance,
                                      unsigned max_iterations)
{
    const auto mixture = classical_mixture(spec);
    if (!mixture || !well_formed(x, mixture->size()) || point.k.size() != x.size()) return std::nullopt;
    const auto b = newton_bubble(*mixture, unknown, temperature, pressure, x, point.k, max_iterations);
    if (!b || !(std::abs(b->sum - 1.0) < tolerance) || !distinct_phases(*b)) return std::nullopt;
    return incipient_point(unknown == Unknown::Temperature ? b->temperature : b->pressure, *b);
}

IncipientPoint incipient_point(double value, const NewtonBubble& b)
{
    return IncipientPoint{value, std::vector<double>(b.y.begin(), b.y.end()),
                          std::vector<double>(b.k.begin(), b.k.end())};
}

std::optional<double> wilson_bubble_temperature(std::span<const Component> components, double pressure,
                                                std::span<const double> x)
{
    if (!(pressure > 0.0) || !std::isfinite(pressure)) return std::nullopt;
    const std::size_t n = components.size();
    // sum_i x_i exp(a_i - b_i tau) = 1 with tau = 1/T.
    List a(n), b(n);
    double weighted_a = 0.0;
    double weighted_b = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const Component& c = components[i];
        b[i] = wilson_constant * (1.0 + c.omega) * c.tc;
        a[i] = std::log(c.pc / pressure) + wilson_constant * (1.0 + c.omega);
        if (x[i] > 0.0) {
            weighted_a += x[i] * a[i];
            weighted_b += x[i] * b[i];
        }
    }
    double tau = weighted_a / weighted_b;
    if (!(weighted_b > 0.0) || !std::isfinite(tau)) return std::nullopt;
    for (int iteration = 0; iteration < 100; ++iteration) {
        double top = -std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < n; ++i)
            if (x[i] > 0.0) top = std::fmax(top, a[i] - b[i] * tau);
        double sum = 0.0;
        double slope = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!(x[i] > 0.0)) continue;
            const double e = x[i] * std::exp(a[i] - b[i] * tau - top);
            sum += e;
            slope += e * b[i];
        }
        const double h = std::log(sum) + top;  // ln sum x_i K_i
        const double step = h / (slope / sum);
        tau += step;
        if (!std::isfinite(tau)) return std::nullopt;
        if (std::abs(step) <= 1e-14 * std::abs(tau)) break;
    }
    if (!(tau > 0.0)) return std::nullopt;
    return 1.0 / tau;
}

std::optional<NewtonBubble> newton_bubble(const ClassicalMixture& mixture, Unknown unknown, double temperature,
                                          double pressure, std::span<const double> x, std::span<const double> k,
                                          unsigned max_iterations)
{
    const std::size_t n = mixture.size();
    CubicState state;
    List ln_k(n), y(n), liquid(n), vapour(n), liquid_t(n), liquid_p(n), vapour_t(n), vapour_p(n), k_new(n);
    for (std::size_t i = 0; i < n; ++i) ln_k[i] = std::log(k[i]);
    const CubicState::Slopes liquid_slopes{liquid_t, liquid_p};
    const CubicState::Slopes vapour_slopes{vapour_t, vapour_p};

    for (unsigned iteration = 1; iteration <= max_iterations; ++iteration) {
        state.prepare(mixture, temperature, pressure);
        double start = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            y[i] = std::exp(ln_k[i]) * x[i];
            start += y[i];
        }
        for (double& v : y) v /= start;

        const auto z_liquid = state.ln_phi(mixture, x, Phase::Liquid, liquid, &liquid_slopes);
        if (!z_liquid) return std::nullopt;
        const auto z_vapour = state.ln_phi(mixture, y, Phase::Vapor, vapour, &vapour_slopes);
        if (!z_vapour) return std::nullopt;

        double sum = 0.0;
        double change = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double ln_k_new = liquid[i] - vapour[i];
            change = std::fmax(change, std::abs(ln_k_new - ln_k[i]));
            ln_k[i] = ln_k_new;
            k_new[i] = std::exp(ln_k_new);
            sum += x[i] * k_new[i];
        }
        double slope_t = 0.0;
        double slope_p = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double weight = x[i] * k_new[i];
            slope_t += weight * (liquid_t[i] - vapour_t[i]);
            slope_p += weight * (liquid_p[i] - vapour_p[i]);
        }
        slope_t /= sum;
        slope_p /= sum;
        const double residual = std::log(sum);
        if (!std::isfinite(residual) || !std::isfinite(change)) return std::nullopt;

        if (std::abs(residual) <= residual_tolerance && change < change_tolerance) {
            NewtonBubble out;
            out.temperature = temperature;
            out.pressure = pressure;
            out.y = y;
            out.k = k_new;
            out.sum = sum;
            out.slope_t = slope_t;
            out.slope_log_p = slope_p;
            out.z_liquid = *z_liquid;
            out.z_vapour = *z_vapour;
            out.iterations = iteration;
            return out;
        }

        if (unknown == Unknown::Temperature) {
            if (!(slope_t > 0.0)) return std::nullopt;
            const double limit = largest_temperature_step * temperature;
            temperature += std::clamp(-residual / slope_t, -limit, limit);
        }
        else {
            if (!(slope_p < 0.0)) return std::nullopt;
            pressure *= std::exp(std::clamp(-residual / slope_p, -largest_log_pressure_step, largest_log_pressure_step));
        }
    }
    return std::nullopt;
}

}  // namespace kolvar::thermo::flash
