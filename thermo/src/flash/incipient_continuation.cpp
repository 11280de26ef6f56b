// Bubble and dew points by continuation from an easy condition, for the
// cases where the general procedures collapse onto the K = 1 solution.
#include "flash/incipient_newton.hpp"

#include <algorithm>
#include <cmath>

namespace kolvar::thermo::flash {
namespace {

using List = SmallVector<double, 8>;

constexpr double easy_pressure = 100.0;         // kPa
constexpr double easy_temperature_share = 0.5;  // of the average critical temperature
constexpr unsigned newton_limit = 200;  // near critical points the incipient composition settles slowly
constexpr unsigned iteration_budget = 4000;     // Newton passes over the whole march
constexpr unsigned first_steps = 8;
constexpr double smallest_share = 1.0 / 256.0;  // of the first step

struct Problem {
    const ClassicalMixture& mixture;
    Direction direction;
    Unknown unknown;
    std::span<const double> composition;
    unsigned passes;
};

// Marches the given condition (ln P when solving for T, T when solving for
// P) from the start's value to `target`, each Newton started from the last
// solution; a step that fails or loses the distinct phases is halved.
std::optional<NewtonPoint> march(const Problem& problem, NewtonPoint current, double target)
{
    const bool in_pressure = problem.unknown == Unknown::Temperature;
    double at = in_pressure ? std::log(current.pressure) : current.temperature;
    const double first = (target - at) / first_steps;
    double step = first;
    unsigned spent = current.iterations;
    while (at != target) {
        if (spent > iteration_budget || std::abs(step) < std::abs(first) * smallest_share) return std::nullopt;
        const double next = std::abs(target - at) <= std::abs(step) ? target : at + step;
        const double temperature = in_pressure ? current.temperature : next;
        const double pressure = in_pressure ? std::exp(next) : current.pressure;
        auto solved = newton_point(problem.mixture, problem.direction, problem.unknown, temperature, pressure,
                                   problem.composition, current.k, problem.passes);
        spent += solved ? solved->iterations : problem.passes;
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

std::optional<NewtonPoint> from_wilson(const Problem& problem, double temperature, double pressure)
{
    List k(problem.composition.size());
    for (std::size_t i = 0; i < k.size(); ++i) k[i] = wilson_k(problem.mixture.components[i], temperature, pressure);
    auto solved = newton_point(problem.mixture, problem.direction, problem.unknown, temperature, pressure,
                               problem.composition, k, problem.passes);
    if (!solved || !distinct_phases(*solved)) return std::nullopt;
    return solved;
}

}  // namespace

std::optional<IncipientPoint> continued_temperature(const SystemSpec& spec, double pressure,
                                                    std::span<const double> composition, Direction direction,
                                                    double tolerance, unsigned max_iterations)
{
    const auto mixture = classical_mixture(spec);
    if (!mixture || !well_formed(composition, mixture->size())) return std::nullopt;
    if (!(pressure > easy_pressure) || !std::isfinite(pressure)) return std::nullopt;
    const Problem problem{*mixture, direction, Unknown::Temperature, composition,
                          std::min(max_iterations, newton_limit)};
    const auto start_t = wilson_temperature(spec.components, easy_pressure, composition, direction);
    if (!start_t) return std::nullopt;
    auto start = from_wilson(problem, *start_t, easy_pressure);
    if (!start) return std::nullopt;
    const auto b = march(problem, std::move(*start), std::log(pressure));
    if (!b || !(std::abs(b->sum - 1.0) < tolerance)) return std::nullopt;
    if (!(b->temperature >= scan_temperature(1)) || !(b->temperature <= scan_temperature(scan_steps)))
        return std::nullopt;
    return incipient_point(b->temperature, *b);
}

std::optional<IncipientPoint> continued_pressure(const SystemSpec& spec, double temperature,
                                                 std::span<const double> composition, Direction direction,
                                                 double tolerance, unsigned max_iterations)
{
    const auto mixture = classical_mixture(spec);
    if (!mixture || !well_formed(composition, mixture->size()) || !std::isfinite(temperature)) return std::nullopt;
    const Problem problem{*mixture, direction, Unknown::LogPressure, composition,
                          std::min(max_iterations, newton_limit)};
    double critical = 0.0;
    for (std::size_t i = 0; i < composition.size(); ++i) critical += composition[i] * spec.components[i].tc;
    const double easy = easy_temperature_share * critical;
    if (!(temperature > easy)) return std::nullopt;
    // Wilson's pressure at the easy temperature, as the substitution starts.
    double sum = 0.0;
    for (std::size_t i = 0; i < composition.size(); ++i) {
        const double w = wilson_k(spec.components[i], easy, 1.0);
        sum += direction == Direction::Bubble ? composition[i] * w : composition[i] / w;
    }
    const double p0 = direction == Direction::Bubble ? sum : 1.0 / sum;
    if (!(p0 > 0.0) || !std::isfinite(p0)) return std::nullopt;
    auto start = from_wilson(problem, easy, p0);
    if (!start) return std::nullopt;
    const auto b = march(problem, std::move(*start), temperature);
    if (!b || !(std::abs(b->sum - 1.0) < tolerance) || !(b->pressure > pressure_floor)) return std::nullopt;
    return incipient_point(b->pressure, *b);
}

}  // namespace kolvar::thermo::flash
