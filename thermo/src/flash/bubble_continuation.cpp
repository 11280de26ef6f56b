// Bubble points by continuation from an easy condition, for the cases where
// the general procedures collapse onto the K = 1 solution.
#include "flash/bubble_newton.hpp"

#include <algorithm>
#include <cmath>

namespace kolvar::thermo::flash {
namespace {

using List = SmallVector<double, 8>;

constexpr double easy_pressure = 100.0;         // kPa
constexpr double easy_temperature_share = 0.5;  // of the average critical temperature
constexpr unsigned newton_limit = 200;  // near critical points the vapour composition settles slowly
constexpr unsigned iteration_budget = 4000;     // Newton passes over the whole march
constexpr unsigned first_steps = 8;
constexpr double smallest_share = 1.0 / 256.0;  // of the first step

// Marches the given condition (ln P when solving for T, T when solving for
// P) from the start's value to `target`, each Newton started from the last
// solution; a step that fails or loses the distinct phases is halved.
std::optional<NewtonBubble> march(const ClassicalMixture& mixture, Unknown unknown, std::span<const double> x,
                                  NewtonBubble current, double target, unsigned passes)
{
    const bool in_pressure = unknown == Unknown::Temperature;
    double at = in_pressure ? std::log(current.pressure) : current.temperature;
    const double first = (target - at) / first_steps;
    double step = first;
    unsigned spent = current.iterations;
    while (at != target) {
        if (spent > iteration_budget || std::abs(step) < std::abs(first) * smallest_share) return std::nullopt;
        const double next = std::abs(target - at) <= std::abs(step) ? target : at + step;
        const double temperature = in_pressure ? current.temperature : next;
        const double pressure = in_pressure ? std::exp(next) : current.pressure;
        auto solved = newton_bubble(mixture, unknown, temperature, pressure, x, current.k, passes);
        spent += solved ? solved->iterations : passes;
        if (!solved || !distinct_phases(*solved)) {
            step /= 2.0;
            continue;
        }
        current = std::move(*solved);
        at = next;
        step *= 1.5;
    }
    return current;
}

std::optional<NewtonBubble> from_wilson(const ClassicalMixture& mixture, Unknown unknown, double temperature,
                                        double pressure, std::span<const double> x, unsigned passes)
{
    List k(x.size());
    for (std::size_t i = 0; i < k.size(); ++i) k[i] = wilson_k(mixture.components[i], temperature, pressure);
    auto solved = newton_bubble(mixture, unknown, temperature, pressure, x, k, passes);
    if (!solved || !distinct_phases(*solved)) return std::nullopt;
    return solved;
}

}  // namespace

std::optional<IncipientPoint> continued_bubble_temperature(const SystemSpec& spec, double pressure,
                                                           std::span<const double> x, double tolerance,
                                                           unsigned max_iterations)
{
    const unsigned passes = std::min(max_iterations, newton_limit);
    const auto mixture = classical_mixture(spec);
    if (!mixture || !well_formed(x, mixture->size())) return std::nullopt;
    if (!(pressure > easy_pressure) || !std::isfinite(pressure)) return std::nullopt;
    const auto start_t = wilson_bubble_temperature(spec.components, easy_pressure, x);
    if (!start_t) return std::nullopt;
    auto start = from_wilson(*mixture, Unknown::Temperature, *start_t, easy_pressure, x, passes);
    if (!start) return std::nullopt;
    const auto b = march(*mixture, Unknown::Temperature, x, std::move(*start), std::log(pressure), passes);
    if (!b || !(std::abs(b->sum - 1.0) < tolerance)) return std::nullopt;
    if (!(b->temperature >= scan_temperature(1)) || !(b->temperature <= scan_temperature(scan_steps)))
        return std::nullopt;
    return incipient_point(b->temperature, *b);
}

std::optional<IncipientPoint> continued_bubble_pressure(const SystemSpec& spec, double temperature,
                                                        std::span<const double> x, double tolerance,
                                                           unsigned max_iterations)
{
    const unsigned passes = std::min(max_iterations, newton_limit);
    const auto mixture = classical_mixture(spec);
    if (!mixture || !well_formed(x, mixture->size()) || !std::isfinite(temperature)) return std::nullopt;
    double critical = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) critical += x[i] * spec.components[i].tc;
    const double easy = easy_temperature_share * critical;
    if (!(temperature > easy)) return std::nullopt;
    double p0 = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) p0 += x[i] * wilson_k(spec.components[i], easy, 1.0);
    if (!(p0 > 0.0) || !std::isfinite(p0)) return std::nullopt;
    auto start = from_wilson(*mixture, Unknown::LogPressure, easy, p0, x, passes);
    if (!start) return std::nullopt;
    const auto b = march(*mixture, Unknown::LogPressure, x, std::move(*start), temperature, passes);
    if (!b || !(std::abs(b->sum - 1.0) < tolerance) || !(b->pressure > pressure_floor)) return std::nullopt;
    return incipient_point(b->pressure, *b);
}

}  // namespace kolvar::thermo::flash
