// The fast paths of the public bubble- and dew-point solvers: Newton from
// Wilson's estimate, and the checks that make its answer the one the general
// procedures would give.
#include "flash/incipient_newton.hpp"

#include <algorithm>
#include <cmath>

namespace kolvar::thermo::flash {
namespace {

constexpr unsigned newton_limit = 50;
constexpr double start_floor = 1e-6;  // kPa, the substitution procedure's lowest start

using List = SmallVector<double, 8>;

CertifiedPoint certified(double value, const NewtonPoint& point)
{
    return {incipient_point(value, point), point.phases};
}

}  // namespace

std::optional<CertifiedPoint> certified_temperature(const SystemSpec& spec, double pressure,
                                                    std::span<const double> composition, Direction direction,
                                                    double tolerance, unsigned max_iterations)
{
    const auto mixture = classical_mixture(spec);
    if (!mixture || !well_formed(composition, mixture->size()) || !(pressure > pressure_floor)) return std::nullopt;
    const auto start = wilson_temperature(spec.components, pressure, composition, direction);
    if (!start) return std::nullopt;
    List k(composition.size());
    for (std::size_t i = 0; i < k.size(); ++i) k[i] = wilson_k(spec.components[i], *start, pressure);

    const auto b = newton_point(*mixture, direction, Unknown::Temperature, *start, pressure, composition, k,
                                std::min(max_iterations, newton_limit));
    if (!b || !(std::abs(b->sum - 1.0) < tolerance) || !distinct_phases(*b)) return std::nullopt;
    // The scan brackets the first rise through P of the point's pressure
    // against T: the solution must lie on a rising branch (F grows with T and
    // falls with P), inside the scanned range.
    if (!(b->slope_t > 0.0) || !(b->slope_log_p < 0.0)) return std::nullopt;
    if (!(b->temperature >= scan_temperature(1)) || !(b->temperature <= scan_temperature(scan_steps)))
        return std::nullopt;
    return certified(b->temperature, *b);
}

std::optional<CertifiedPoint> certified_pressure(const SystemSpec& spec, double temperature,
                                                 std::span<const double> composition, Direction direction,
                                                 double tolerance, unsigned max_iterations)
{
    const auto mixture = classical_mixture(spec);
    if (!mixture || !well_formed(composition, mixture->size())) return std::nullopt;
    if (!(temperature > 0.0) || !std::isfinite(temperature)) return std::nullopt;
    // The substitution procedure's start: P0 = sum x_i W_i(T) (bubble) or
    // 1/sum(y_i/W_i(T)) (dew), K_i = W_i/P0.
    const std::size_t n = composition.size();
    const bool bubble = direction == Direction::Bubble;
    List k(n);
    double start = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        k[i] = wilson_k(spec.components[i], temperature, 1.0);
        start += bubble ? composition[i] * k[i] : composition[i] / k[i];
    }
    const double pressure = std::fmax(bubble ? start : 1.0 / start, start_floor);
    if (!std::isfinite(pressure)) return std::nullopt;
    for (double& v : k) v /= pressure;

    const auto b = newton_point(*mixture, direction, Unknown::LogPressure, temperature, pressure, composition, k,
                                std::min(max_iterations, newton_limit));
    if (!b || !(std::abs(b->sum - 1.0) < tolerance) || !distinct_phases(*b)) return std::nullopt;
    if (!(b->slope_log_p < 0.0) || !(b->pressure > pressure_floor)) return std::nullopt;
    return certified(b->pressure, *b);
}

}  // namespace kolvar::thermo::flash
