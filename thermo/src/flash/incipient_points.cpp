// The public bubble- and dew-point solvers: the certified Newton fast paths
// where the mixture allows them, the general procedures otherwise. A general
// result that is no equilibrium is settled by Newton where it can be; where
// the general procedure fails or ends on the K = 1 solution, continuation
// looks for the genuine point.
#include "flash/general_solvers.hpp"
#include "flash/ideal_vapour_bubble.hpp"
#include "flash/incipient_newton.hpp"
#include "kolvar/format.hpp"

#include <cmath>
#include <utility>

namespace kolvar::thermo {
namespace flash {
namespace {

using Solved = std::expected<IncipientPoint, ThermoError>;

// Passes of the substitution whose end a general result is: those of one
// pressure iteration, and those of the scan's final evaluation.
constexpr unsigned pressure_passes = 40;
constexpr unsigned final_passes = 60;
// The least iteration limit with which the stability search runs.
constexpr unsigned search_budget = 60;

const char* point_name(Direction direction, Unknown unknown)
{
    const bool bubble = direction == Direction::Bubble;
    if (unknown == Unknown::LogPressure) return bubble ? "bubble pressure" : "dew pressure";
    return bubble ? "bubble temperature" : "dew temperature";
}

// The returned point made self-consistent: the incipient phase formed from
// the returned K-values, which are then scaled by the sum so that y = K x
// (x = y / K) holds to rounding.
IncipientPoint consistent(IncipientPoint point, std::span<const double> composition, Direction direction)
{
    const bool bubble = direction == Direction::Bubble;
    double sum = 0.0;
    for (std::size_t i = 0; i < composition.size(); ++i)
        sum += bubble ? composition[i] * point.k[i] : composition[i] / point.k[i];
    if (!(sum > 0.0) || !std::isfinite(sum)) return point;
    for (std::size_t i = 0; i < composition.size(); ++i) {
        point.k[i] = bubble ? point.k[i] / sum : point.k[i] * sum;
        point.y[i] = bubble ? point.k[i] * composition[i] : composition[i] / point.k[i];
    }
    return point;
}

ThermoError no_point(Direction direction, Unknown unknown, double given, const char* quantity, double value,
                     const char* unit)
{
    const bool bubble = direction == Direction::Bubble;
    return ThermoError::evaluation(format::text(
        "trivial solution at ", quantity, " = ", value, " ", unit, ": liquid and vapour on the same root (K = 1); no ",
        bubble ? "bubble" : "dew", " point at ", unknown == Unknown::LogPressure ? "T = " : "P = ", given,
        unknown == Unknown::LogPressure ? " K" : " kPa"));
}

// The public answer from the fast path's point and the general procedure's
// result: a point judged an Answer stands; a Metastable one gives way to the
// stable point when the stability search finds it, and stands otherwise; an
// unsettled one is settled by Newton where it can be. Where there is no
// answer yet, `search` (continuation) and then the stability search look on.
// Without any, the failure stands; a K = 1 result or a pseudo-point is
// refused as the trivial solution with no point there, and one whose
// fugacities never became equal as a point that did not converge
// (NoConvergence "bubble pressure", "dew temperature", ... with the passes
// and the largest difference of ln f_i between the phases).
template <class General, class Search>
Solved resolve(const SystemSpec& spec, Direction direction, Unknown unknown, double given,
               std::span<const double> composition, std::optional<CertifiedPoint> fast, General&& general_procedure,
               double tolerance, unsigned max_iterations, Search&& search)
{
    const bool for_pressure = unknown == Unknown::LogPressure;
    const auto at = [&](const IncipientPoint& point) {
        return std::pair{for_pressure ? given : point.value, for_pressure ? point.value : given};
    };
    const auto judged_point = [&](const IncipientPoint& point, const EvaluatedPhases* evaluated = nullptr) {
        const auto [t, p] = at(point);
        return judge(spec, direction, t, p, composition, point, evaluated);
    };
    // The search bisects stability tests: it runs only with the budget of its bisection.
    const bool searching = max_iterations >= search_budget;
    const auto stable_or = [&](IncipientPoint point) -> Solved {
        if (!searching) return consistent(std::move(point), composition, direction);
        if (auto stable = stable_search(spec, direction, unknown, given, composition, tolerance))
            return consistent(std::move(*stable), composition, direction);
        return consistent(std::move(point), composition, direction);
    };
    if (fast) {
        const Verdict verdict = judged_point(fast->point, fast->phases ? &*fast->phases : nullptr).verdict;
        if (verdict == Verdict::Answer) return consistent(std::move(fast->point), composition, direction);
        if (verdict == Verdict::Metastable) return stable_or(std::move(fast->point));
    }

    Solved general = general_procedure();
    Judgement judged;
    if (general) {
        judged = judged_point(*general);
        if (judged.verdict == Verdict::Answer) return consistent(std::move(*general), composition, direction);
        if (judged.verdict == Verdict::Metastable) return stable_or(std::move(*general));
        if (judged.verdict == Verdict::Unsettled) {
            const auto [t, p] = at(*general);
            if (auto point = settled(spec, direction, unknown, t, p, composition, *general, tolerance, max_iterations)) {
                const Verdict verdict = judged_point(*point).verdict;
                if (verdict == Verdict::Answer) return consistent(std::move(*point), composition, direction);
                if (verdict == Verdict::Metastable) return stable_or(std::move(*point));
            }
        }
    }
    if (auto found = search()) {
        const Verdict verdict = judged_point(*found).verdict;
        if (verdict == Verdict::Answer) return consistent(std::move(*found), composition, direction);
        if (verdict == Verdict::Metastable) return stable_or(std::move(*found));
    }
    if (searching) {
        if (auto stable = stable_search(spec, direction, unknown, given, composition, tolerance))
            return consistent(std::move(*stable), composition, direction);
    }
    if (!general) return general;
    if (judged.verdict == Verdict::Trivial)
        return std::unexpected(for_pressure ? no_point(direction, unknown, given, "P", general->value, "kPa")
                                            : no_point(direction, unknown, given, "T", general->value, "K"));
    return std::unexpected(ThermoError::no_convergence(point_name(direction, unknown),
                                                       for_pressure ? pressure_passes : final_passes,
                                                       judged.fugacity_gap));
}

// Every path's answer passes the general procedure's last check: a point
// with a non-finite K-value or incipient composition (K = inf where a
// component all but vanishes from the incipient phase), or a K-value of 0,
// is refused, whichever solver found it.
Solved finite(Solved solved, Unknown unknown, double given)
{
    if (!solved) return solved;
    const bool for_pressure = unknown == Unknown::LogPressure;
    const double t = for_pressure ? given : solved->value;
    const double p = for_pressure ? solved->value : given;
    if (auto error = non_finite_result(solved->k, solved->y, t, p)) return std::unexpected(std::move(*error));
    return solved;
}

}  // namespace

Solved point_pressure(const SystemSpec& spec, double temperature, std::span<const double> composition,
                      Direction direction, double tolerance, unsigned max_iterations)
{
    return finite(resolve(spec, direction, Unknown::LogPressure, temperature, composition,
                          certified_pressure(spec, temperature, composition, direction, tolerance, max_iterations),
                          [&] {
                              return substitution_bubble_pressure(spec, temperature, composition, direction, tolerance,
                                                                  max_iterations);
                          },
                          tolerance, max_iterations, [&] {
                              return continued_pressure(spec, temperature, composition, direction, tolerance,
                                                        max_iterations);
                          }),
                  Unknown::LogPressure, temperature);
}

Solved point_temperature(const SystemSpec& spec, double pressure, std::span<const double> composition,
                         Direction direction, double tolerance, unsigned max_iterations)
{
    // At or below the pressure floor the scan's failure (no bracket, or a
    // refused input) stands: the searches would chase points there that no
    // pressure solve can confirm.
    if (!(pressure > pressure_floor)) {
        if (auto scanned = incipient_temperature(spec, pressure, composition, direction, tolerance, max_iterations);
            !scanned)
            return scanned;
    }
    // The certified Newton point; for an activity liquid under an ideal gas, its own Newton bubble temperature.
    auto fast = certified_temperature(spec, pressure, composition, direction, tolerance, max_iterations);
    if (!fast && direction == Direction::Bubble) {
        // Its phases are evaluated again by the judge.
        if (auto point = ideal_vapour_bubble_temperature(spec, pressure, composition, tolerance, max_iterations))
            fast = CertifiedPoint{std::move(*point), std::nullopt};
    }
    return finite(resolve(spec, direction, Unknown::Temperature, pressure, composition, std::move(fast),
                          [&] {
                              return incipient_temperature(spec, pressure, composition, direction, tolerance,
                                                           max_iterations);
                          },
                          tolerance, max_iterations, [&] {
                              return continued_temperature(spec, pressure, composition, direction, tolerance,
                                                           max_iterations);
                          }),
                  Unknown::Temperature, pressure);
}

}  // namespace flash

std::expected<IncipientPoint, ThermoError> bubble_pressure(const SystemSpec& spec, double temperature,
                                                           std::span<const double> x, Direction direction,
                                                           double tolerance, unsigned max_iterations)
{
    return flash::point_pressure(spec, temperature, x, direction, tolerance, max_iterations);
}

std::expected<IncipientPoint, ThermoError> bubble_temperature(const SystemSpec& spec, double pressure,
                                                              std::span<const double> x, double tolerance,
                                                              unsigned max_iterations)
{
    return flash::point_temperature(spec, pressure, x, Direction::Bubble, tolerance, max_iterations);
}

}  // namespace kolvar::thermo
