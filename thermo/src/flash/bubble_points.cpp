// The public bubble-point solvers: the certified Newton fast path where the
// mixture allows it, the general procedures otherwise. A general result that
// is no equilibrium is settled by Newton where it can be; where the general
// procedure fails or ends on the K = 1 solution, continuation looks for the
// genuine bubble point.
#include "flash/bubble_newton.hpp"
#include "flash/general_bubble_solvers.hpp"
#include "kolvar/format.hpp"

namespace kolvar::thermo {
namespace {

using Solved = std::expected<IncipientPoint, ThermoError>;

ThermoError trivial_solution(const char* quantity, double value, const char* unit)
{
    return ThermoError::evaluation(
        format::text("trivial solution at ", quantity, " = ", value, " ", unit,
                     ": liquid and vapour on the same root (K = 1)"));
}

// Passes of the substitution whose end a general result is: those of one
// pressure iteration, and those of the scan's final evaluation.
constexpr unsigned pressure_passes = 40;
constexpr unsigned final_passes = 60;

// The general procedure's result as the public answer: kept when it is an
// equilibrium (or the kernel cannot judge it), settled by Newton when it is
// not, else replaced by what `search` finds. Without either, its failure
// stands; a K = 1 result is refused as the trivial solution, and one whose
// fugacities never became equal as a bubble point that did not converge
// (NoConvergence "bubble pressure" or "bubble temperature" with the passes
// and the largest difference of ln(x_i phi_i) between the phases).
template <class Search>
Solved resolve(const SystemSpec& spec, flash::Unknown unknown, double temperature, double pressure,
               std::span<const double> x, Solved general, double tolerance, unsigned max_iterations, Search&& search)
{
    const bool for_pressure = unknown == flash::Unknown::LogPressure;
    flash::Judgement judged;
    if (general) {
        const double t = for_pressure ? temperature : general->value;
        const double p = for_pressure ? general->value : pressure;
        judged = flash::judge(spec, t, p, x, *general);
        if (judged.verdict == flash::Verdict::Answer) return general;
        if (judged.verdict == flash::Verdict::Unsettled) {
            if (auto point = flash::settled(spec, unknown, t, p, x, *general, tolerance, max_iterations))
                return std::move(*point);
        }
    }
    if (auto found = search()) return std::move(*found);
    if (!general) return general;
    if (judged.verdict == flash::Verdict::Trivial)
        return std::unexpected(for_pressure ? trivial_solution("P", general->value, "kPa")
                                            : trivial_solution("T", general->value, "K"));
    return std::unexpected(for_pressure
                               ? ThermoError::no_convergence("bubble pressure", pressure_passes, judged.fugacity_gap)
                               : ThermoError::no_convergence("bubble temperature", final_passes, judged.fugacity_gap));
}

}  // namespace

std::expected<IncipientPoint, ThermoError> bubble_pressure(const SystemSpec& spec, double temperature,
                                                           std::span<const double> x, Direction direction,
                                                           double tolerance, unsigned max_iterations)
{
    if (direction == Direction::Dew)
        return flash::substitution_bubble_pressure(spec, temperature, x, direction, tolerance, max_iterations);
    if (auto fast = flash::certified_bubble_pressure(spec, temperature, x, tolerance, max_iterations))
        return std::move(*fast);
    return resolve(spec, flash::Unknown::LogPressure, temperature, 0.0, x,
                   flash::substitution_bubble_pressure(spec, temperature, x, direction, tolerance, max_iterations),
                   tolerance, max_iterations,
                   [&] { return flash::continued_bubble_pressure(spec, temperature, x, tolerance, max_iterations); });
}

std::expected<IncipientPoint, ThermoError> bubble_temperature(const SystemSpec& spec, double pressure,
                                                              std::span<const double> x, double tolerance,
                                                              unsigned max_iterations)
{
    if (auto fast = flash::certified_bubble_temperature(spec, pressure, x, tolerance, max_iterations))
        return std::move(*fast);
    return resolve(spec, flash::Unknown::Temperature, 0.0, pressure, x,
                   flash::scan_bubble_temperature(spec, pressure, x, tolerance, max_iterations), tolerance,
                   max_iterations,
                   [&] { return flash::continued_bubble_temperature(spec, pressure, x, tolerance, max_iterations); });
}

}  // namespace kolvar::thermo
