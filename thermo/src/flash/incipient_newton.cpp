#include "flash/incipient_newton.hpp"

#include "constants.hpp"
#include "numerics/elimination.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolvar::thermo::flash {
namespace {

using List = SmallVector<double, 8>;

constexpr double residual_tolerance = 1e-11;  // |F| of a converged pass
constexpr double change_tolerance = 1e-10;    // largest |ln(K_new/K_old)| of a converged pass
constexpr double largest_temperature_step = 0.1;  // relative
constexpr double largest_log_pressure_step = 1.0;
constexpr double largest_log_k_step = 2.0;
// Passes whose K moved by more than this take the successive-substitution step
// on K; closer to the solution the full Newton step on K and the unknown.
constexpr double full_newton_change = 1e-2;
// Liquid and vapour count as distinct phases when some |ln K_i| or the
// relative gap between the two roots exceeds this.
constexpr double distinct_tolerance = 1e-5;

bool bubble(Direction direction) { return direction == Direction::Bubble; }

}  // namespace

bool well_formed(std::span<const double> composition, std::size_t n)
{
    if (composition.size() != n) return false;
    double sum = 0.0;
    for (double v : composition) {
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

bool distinct_phases(const NewtonPoint& point) { return distinct_phases(point.phases.z_liquid, point.phases.z_vapour, point.k); }

IncipientPoint incipient_point(double value, const NewtonPoint& point)
{
    return IncipientPoint{value, std::vector<double>(point.incipient.begin(), point.incipient.end()),
                          std::vector<double>(point.k.begin(), point.k.end())};
}

std::optional<double> wilson_temperature(std::span<const Component> components, double pressure,
                                         std::span<const double> composition, Direction direction)
{
    if (!(pressure > 0.0) || !std::isfinite(pressure)) return std::nullopt;
    const std::size_t n = components.size();
    // ln sum_i c_i exp(s (a_i - b_i tau)) = 0 with tau = 1/T, s = +1 for a
    // bubble point (K = exp(a - b tau)) and -1 for a dew point (1/K).
    const double s = bubble(direction) ? 1.0 : -1.0;
    List a(n), b(n);
    double weighted_a = 0.0;
    double weighted_b = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const Component& c = components[i];
        b[i] = constants::wilson_slope * (1.0 + c.omega) * c.tc;
        a[i] = std::log(c.pc / pressure) + constants::wilson_slope * (1.0 + c.omega);
        if (composition[i] > 0.0) {
            weighted_a += composition[i] * a[i];
            weighted_b += composition[i] * b[i];
        }
    }
    double tau = weighted_a / weighted_b;
    if (!(weighted_b > 0.0) || !std::isfinite(tau)) return std::nullopt;
    for (int iteration = 0; iteration < 100; ++iteration) {
        double top = -std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < n; ++i)
            if (composition[i] > 0.0) top = std::fmax(top, s * (a[i] - b[i] * tau));
        double sum = 0.0;
        double slope = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!(composition[i] > 0.0)) continue;
            const double e = composition[i] * std::exp(s * (a[i] - b[i] * tau) - top);
            sum += e;
            slope -= s * e * b[i];
        }
        const double step = -(std::log(sum) + top) / (slope / sum);
        tau += step;
        if (!std::isfinite(tau)) return std::nullopt;
        if (std::abs(step) <= 1e-14 * std::abs(tau)) break;
    }
    if (!(tau > 0.0)) return std::nullopt;
    return 1.0 / tau;
}

std::optional<NewtonPoint> newton_point(const ClassicalMixture& mixture, Direction direction, Unknown unknown,
                                        double temperature, double pressure, std::span<const double> composition,
                                        std::span<const double> k, unsigned max_iterations)
{
    const std::size_t n = mixture.size();
    const std::size_t m = n + 1;
    const bool is_bubble = bubble(direction);
    const bool in_temperature = unknown == Unknown::Temperature;
    CubicState state;
    List ln_k(n), incipient(n), liquid(n), vapour(n), liquid_t(n), liquid_p(n), vapour_t(n), vapour_p(n), k_new(n),
        weight(n);
    SmallVector<double, 9> step(m);
    SmallVector<double, 64> mixing(n * n);  // N d ln phi_i/dN_j of the incipient phase
    SmallVector<double, 81> jacobian(m * m);
    for (std::size_t i = 0; i < n; ++i) ln_k[i] = std::log(k[i]);
    const CubicState::Slopes known_slopes{is_bubble ? liquid_t : vapour_t, is_bubble ? liquid_p : vapour_p};
    const CubicState::Slopes incipient_slopes{is_bubble ? vapour_t : liquid_t, is_bubble ? vapour_p : liquid_p,
                                              mixing};
    const std::span<const double> liquid_phase = is_bubble ? composition : std::span<const double>(incipient);
    const std::span<const double> vapour_phase = is_bubble ? std::span<const double>(incipient) : composition;

    bool substitution_only = false;
    bool newton_steps = false;
    double last_change = std::numeric_limits<double>::infinity();
    for (unsigned iteration = 1; iteration <= max_iterations; ++iteration) {
        state.prepare(mixture, temperature, pressure);
        if (!state.physical()) return std::nullopt;
        double start = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            incipient[i] = composition[i] * std::exp(is_bubble ? ln_k[i] : -ln_k[i]);
            start += incipient[i];
        }
        for (double& v : incipient) v /= start;

        const auto z_liquid = state.ln_phi(mixture, liquid_phase, Phase::Liquid, liquid,
                                           is_bubble ? &known_slopes : &incipient_slopes);
        if (!z_liquid) return std::nullopt;
        const auto z_vapour = state.ln_phi(mixture, vapour_phase, Phase::Vapor, vapour,
                                           is_bubble ? &incipient_slopes : &known_slopes);
        if (!z_vapour) return std::nullopt;

        // The pass's new K and, from them, S = sum x K (bubble) or sum y/K
        // (dew), F = ln S or -ln S, and the slopes of F at fixed compositions:
        // sum_i w_i d ln K_i with w_i the share of the new incipient phase.
        double sum = 0.0;
        double change = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            k_new[i] = std::exp(liquid[i] - vapour[i]);
            change = std::fmax(change, std::abs(liquid[i] - vapour[i] - ln_k[i]));
            weight[i] = is_bubble ? composition[i] * k_new[i] : composition[i] / k_new[i];
            sum += weight[i];
        }
        double slope_t = 0.0;
        double slope_p = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            slope_t += weight[i] * (liquid_t[i] - vapour_t[i]);
            slope_p += weight[i] * (liquid_p[i] - vapour_p[i]);
        }
        slope_t /= sum;
        slope_p /= sum;
        const double residual = is_bubble ? std::log(sum) : -std::log(sum);
        if (!std::isfinite(residual) || !std::isfinite(change)) return std::nullopt;

        if (std::abs(residual) <= residual_tolerance && change < change_tolerance) {
            NewtonPoint out;
            out.temperature = temperature;
            out.pressure = pressure;
            out.incipient = incipient;
            out.k = k_new;
            out.sum = sum;
            out.slope_t = slope_t;
            out.slope_log_p = slope_p;
            out.phases = {liquid, vapour, *z_liquid, *z_vapour};
            out.iterations = iteration;
            return out;
        }

        // A full step that left the K moving more than before is not trusted
        // again in this run.
        if (newton_steps && change > last_change) substitution_only = true;
        last_change = change;
        if (substitution_only || change > full_newton_change) {
            // Far from the solution the compositions may sit near a stability
            // limit, where the full Jacobian is close to singular: take the
            // pass's K as they are and a Newton step on the unknown alone.
            for (std::size_t i = 0; i < n; ++i) ln_k[i] = liquid[i] - vapour[i];
            if (in_temperature) {
                if (!(slope_t > 0.0)) return std::nullopt;
                const double limit = largest_temperature_step * temperature;
                temperature += std::clamp(-residual / slope_t, -limit, limit);
            }
            else {
                if (!(slope_p < 0.0)) return std::nullopt;
                pressure *= std::exp(
                    std::clamp(-residual / slope_p, -largest_log_pressure_step, largest_log_pressure_step));
            }
            newton_steps = false;
            continue;
        }

        // Newton on (ln K, the unknown) for R_i = ln K_i - ln phi_i^L + ln phi_i^V
        // and R_n = F at the pass's own K: the incipient phase moves with K
        // (d ln N_j/d ln K_j = +1 for a bubble point's vapour, -1 for a dew
        // point's liquid, whose ln phi enters R with the other sign).
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j)
                jacobian[i * m + j] = (i == j ? 1.0 : 0.0) + mixing[i * n + j] * incipient[j];
            jacobian[i * m + n] = in_temperature ? vapour_t[i] - liquid_t[i] : vapour_p[i] - liquid_p[i];
            step[i] = -(ln_k[i] - (liquid[i] - vapour[i]));
            jacobian[n * m + i] = incipient[i];
        }
        jacobian[n * m + n] = 0.0;
        step[n] = -(is_bubble ? std::log(start) : -std::log(start));
        if (!numerics::solve_in_place<true>(jacobian, step, m, m)) return std::nullopt;
        newton_steps = true;

        // Steps no longer than 10 % of T (1 in ln P) and 2 in any ln K.
        const double limit = in_temperature ? largest_temperature_step * temperature : largest_log_pressure_step;
        double scale = std::fmin(1.0, limit / std::abs(step[n]));
        for (std::size_t i = 0; i < n; ++i) scale = std::fmin(scale, largest_log_k_step / std::abs(step[i]));
        for (std::size_t i = 0; i < n; ++i) ln_k[i] += scale * step[i];
        if (in_temperature) temperature += scale * step[n];
        else pressure *= std::exp(scale * step[n]);
        if (!std::isfinite(temperature) || !std::isfinite(pressure)) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<IncipientPoint> settled(const SystemSpec& spec, Direction direction, Unknown unknown,
                                      double temperature, double pressure, std::span<const double> composition,
                                      const IncipientPoint& point, double tolerance, unsigned max_iterations)
{
    const auto mixture = classical_mixture(spec);
    if (!mixture || !well_formed(composition, mixture->size()) || point.k.size() != composition.size())
        return std::nullopt;
    const auto b =
        newton_point(*mixture, direction, unknown, temperature, pressure, composition, point.k, max_iterations);
    if (!b || !(std::abs(b->sum - 1.0) < tolerance) || !distinct_phases(*b)) return std::nullopt;
    return incipient_point(unknown == Unknown::Temperature ? b->temperature : b->pressure, *b);
}

}  // namespace kolvar::thermo::flash
