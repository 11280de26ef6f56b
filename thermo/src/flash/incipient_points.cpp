// The public bubble- and dew-point solvers: the certified Newton fast paths
// where the mixture allows them, the general procedures otherwise. A general
// result that is no equilibrium is settled by Newton where it can be; where
// the general procedure fails or ends on the K = 1 solution, continuation
// looks for the genuine point.
#include "flash/general_solvers.hpp"
#include "flash/ideal_vapour_bubble.hpp"
#include "flash/incipient_newton.hpp"
#include "kolvar/format.hpp"

namespace kolvar::thermo {
namespace flash {
namespace {

using Solved = std::expected<IncipientPoint, ThermoError>;

// Passes of the substitution whose end a general result is: those of one
// pressure iteration, and those of the scan's final evaluation.
constexpr unsigned pressure_passes = 40;
constexpr unsigned final_passes = 60;

ThermoError trivial_solution(const char* quantity, double value, const char* unit)
{
    return ThermoError::evaluation(format::text("trivial solution at ", quantity, " = ", value, " ", unit,
                                                ": liquid and vapour on the same root (K = 1)"));
}

const char* point_name(Direction direction, Unknown unknown)
{
    const bool bubble = direction == Direction::Bubble;
    if (unknown == Unknown::LogPressure) return bubble ? "bubble pressure" : "dew pressure";
    return bubble ? "bubble temperature" : "dew temperature";
}

// The general procedure's result as the public answer: kept when it is an
// equilibrium (or the kernel cannot judge it), settled by Newton when it is
// not, else replaced by what `search` finds. Without either, its failure
// stands; a K = 1 result is refused as the trivial solution, and one whose
// fugacities never became equal as a point that did not converge
// (NoConvergence "bubble pressure", "dew temperature", ... with the passes
// and the largest difference of ln(x_i phi_i) between the phases).
template <class Search>
Solved resolve(const SystemSpec& spec, Direction direction, Unknown unknown, double temperature, double pressure,
               std::span<const double> composition, Solved general, double tolerance, unsigned max_iterations,
               Search&& search)
{
    const bool for_pressure = unknown == Unknown::LogPressure;
    Judgement judged;
    if (general) {
        const double t = for_pressure ? temperature : general->value;
        const double p = for_pressure ? general->value : pressure;
        judged = judge(spec, direction, t, p, composition, *general);
        if (judged.verdict == Verdict::Answer) return general;
        if (judged.verdict == Verdict::Unsettled) {
            if (auto point = settled(spec, direction, unknown, t, p, composition, *general, tolerance, max_iterations))
                return std::move(*point);
        }
    }
    if (auto found = search()) return std::move(*found);
    if (!general) return general;
    if (judged.verdict == Verdict::Trivial)
        return std::unexpected(for_pressure ? trivial_solution("P", general->value, "kPa")
                                            : trivial_solution("T", general->value, "K"));
    return std::unexpected(ThermoError::no_convergence(point_name(direction, unknown),
                                                       for_pressure ? pressure_passes : final_passes,
                                                       judged.fugacity_gap));
}

}  // namespace

Solved point_pressure(const SystemSpec& spec, double temperature, std::span<const double> composition,
                      Direction direction, double tolerance, unsigned max_iterations)
{
    if (auto fast = certified_pressure(spec, temperature, composition, direction, tolerance, max_iterations))
        return std::move(*fast);
    return resolve(spec, direction, Unknown::LogPressure, temperature, 0.0, composition,
                   substitution_bubble_pressure(spec, temperature, composition, direction, tolerance, max_iterations),
                   tolerance, max_iterations, [&] {
                       return continued_pressure(spec, temperature, composition, direction, tolerance,
                                                 max_iterations);
                   });
}

Solved point_temperature(const SystemSpec& spec, double pressure, std::span<const double> composition,
                         Direction direction, double tolerance, unsigned max_iterations)
{
    if (auto fast = certified_temperature(spec, pressure, composition, direction, tolerance, max_iterations))
        return std::move(*fast);
    if (direction == Direction::Bubble) {
        if (auto fast = ideal_vapour_bubble_temperature(spec, pressure, composition, tolerance, max_iterations))
            return std::move(*fast);
    }
    return resolve(spec, direction, Unknown::Temperature, 0.0, pressure, composition,
                   incipient_temperature(spec, pressure, composition, direction, tolerance, max_iterations),
                   tolerance, max_iterations, [&] {
                       return continued_temperature(spec, pressure, composition, direction, tolerance,
                                                    max_iterations);
                   });
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
