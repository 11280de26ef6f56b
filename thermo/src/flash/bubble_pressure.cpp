// Bubble (or dew) pressure at a given temperature.
#include "flash/general_solvers.hpp"
#include "flash/model_checks.hpp"
#include "flash/physical_attraction.hpp"
#include "flash/pressure_solver.hpp"
#include "kolvar/format.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kolvar::thermo {
namespace flash {
namespace {

constexpr double start_floor = 1e-6;     // kPa, lowest initial pressure
constexpr double pressure_floor = 1e-9;  // kPa, lowest pressure of an update
constexpr unsigned passes_per_iteration = 40;

bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

}  // namespace

ThermoError PressureFailure::to_error(unsigned max_iterations, double temperature, Direction direction) &&
{
    if (error) return std::move(*error);
    if (below_floor) {
        return ThermoError::evaluation(format::text(direction == Direction::Bubble ? "bubble" : "dew",
                                                    " pressure is below 1e-9 kPa at T = ", temperature, " K"));
    }
    return ThermoError::no_convergence("saturation pressure", max_iterations, residual);
}

std::expected<PressureSolution, PressureFailure> solve_pressure(const SystemSpec& spec, double temperature,
                                                               std::span<const double> x, Direction direction,
                                                               double tolerance, unsigned max_iterations,
                                                               std::span<double> k)
{
    const std::size_t n = spec.components.size();
    if (auto ok = check_composition(n, x.size(), direction); !ok) return std::unexpected(PressureFailure{ok.error()});
    if (auto ok = check_models(spec, k.size()); !ok) return std::unexpected(PressureFailure{ok.error()});
    if (auto ok = physical_attraction(spec, temperature); !ok) return std::unexpected(PressureFailure{ok.error()});
    const bool bubble = direction == Direction::Bubble;

    // Wilson: K_i = W_i(T)/P, so W_i is K_i at 1 kPa.
    double start = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        k[i] = wilson_k(spec.components[i], temperature, 1.0);
        start += bubble ? x[i] * k[i] : x[i] / k[i];
    }
    if (n == 0) start = bubble ? start_floor : std::numeric_limits<double>::infinity();
    else if (!bubble) start = 1.0 / start;
    double pressure = std::fmax(start, start_floor);
    for (std::size_t i = 0; i < n; ++i) k[i] = k[i] / pressure;

    SmallVector<double, 8> k_before(n);
    for (unsigned iteration = 1; iteration <= max_iterations; ++iteration) {
        std::copy(k.begin(), k.end(), k_before.begin());
        auto evaluated = evaluate_k(spec, temperature, pressure, x, direction, k, passes_per_iteration);
        if (!evaluated) return std::unexpected(PressureFailure{std::move(evaluated.error())});
        const double residual = std::abs(evaluated->sum - 1.0);
        // A sum of 1 counts only once the substitution has settled: K-values still
        // moving (oscillating between two liquid compositions) belong to another
        // phase than the incipient one they would be reported with.
        if (residual < tolerance && evaluated->change <= settled_change)
            return PressureSolution{pressure, std::move(*evaluated)};

        const double next = bubble ? pressure * evaluated->sum : pressure / evaluated->sum;
        // On the floor and asked to go lower: the point lies below the floor,
        // which more iterations cannot change once the K-values have settled.
        if (pressure == pressure_floor && next < pressure_floor &&
            (evaluated->change <= settled_change || iteration == max_iterations)) {
            return std::unexpected(PressureFailure{std::nullopt, residual, true});
        }
        const double updated = next > pressure_floor ? next : pressure_floor;
        const bool stalled = same_bits(updated, pressure) &&
                             std::equal(k.begin(), k.end(), k_before.begin(), same_bits);
        if (iteration == max_iterations || stalled) return std::unexpected(PressureFailure{std::nullopt, residual});
        pressure = updated;
    }
    return std::unexpected(PressureFailure{std::nullopt, std::numeric_limits<double>::quiet_NaN()});
}

ThermoError non_finite_k_values(double temperature, double pressure)
{
    return ThermoError::evaluation(
        format::text("non-finite K-values at T = ", temperature, " K, P = ", pressure, " kPa"));
}

std::optional<ThermoError> non_finite_result(std::span<const double> k, std::span<const double> incipient,
                                             double temperature, double pressure)
{
    auto finite = [](double v) { return std::isfinite(v); };
    if (!std::all_of(k.begin(), k.end(), finite) || !std::all_of(incipient.begin(), incipient.end(), finite)) {
        return non_finite_k_values(temperature, pressure);
    }
    if (std::any_of(k.begin(), k.end(), [](double v) { return v == 0.0; })) {
        return ThermoError::evaluation(
            format::text("K-values underflow to 0 at T = ", temperature, " K, P = ", pressure, " kPa"));
    }
    return std::nullopt;
}

}  // namespace flash

std::expected<IncipientPoint, ThermoError> flash::substitution_bubble_pressure(const SystemSpec& spec,
                                                                              double temperature,
                                                                              std::span<const double> x,
                                                                              Direction direction, double tolerance,
                                                                              unsigned max_iterations)
{
    SmallVector<double, 8> k(spec.components.size());
    auto solved = flash::solve_pressure(spec, temperature, x, direction, tolerance, max_iterations, k);
    if (!solved) return std::unexpected(std::move(solved.error()).to_error(max_iterations, temperature, direction));
    if (solved->last.trivial)
        return std::unexpected(ThermoError::evaluation(format::text(
            "trivial solution at P = ", solved->pressure, " kPa: liquid and vapour on the same root (K = 1)")));
    const auto& y = solved->last.incipient;
    if (auto error = flash::non_finite_result(k, y, temperature, solved->pressure)) {
        return std::unexpected(std::move(*error));
    }
    return IncipientPoint{solved->pressure, std::vector<double>(y.begin(), y.end()), std::vector<double>(k.begin(), k.end())};
}

}  // namespace kolvar::thermo
