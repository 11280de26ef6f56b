// Bubble (or dew) temperature at a given pressure: a scan of a fixed
// temperature grid for a sign change of ln(Pbub(T)/P), bisection of the first
// bracket, and a final K-value evaluation at the solved temperature.
#include "flash/model_checks.hpp"
#include "flash/pressure_solver.hpp"
#include "kolvar/format.hpp"

#include <cmath>
#include <limits>
#include <optional>

namespace kolvar::thermo {
namespace {

constexpr double grid_low = 50.0;     // K
constexpr double grid_span = 950.0;   // K, up to 1000 K
constexpr unsigned grid_steps = 96;   // 97 grid temperatures
constexpr double width_tolerance = 1e-9;     // K, bisection interval
constexpr unsigned final_passes = 60;
constexpr double final_tolerance = 1e-6;     // |S - 1| of the final evaluation
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// f(T) = ln(Pbub(T)/P); empty where the pressure solve fails or gives no
// finite positive pressure. One K buffer serves every solve: each starts
// afresh from Wilson's estimate.
class Residual {
public:
    Residual(const SystemSpec& spec, double pressure, std::span<const double> x, Direction direction,
             double tolerance, unsigned max_iterations)
        : spec_(spec), pressure_(pressure), x_(x), direction_(direction), tolerance_(tolerance),
          max_iterations_(max_iterations), k_(spec.components.size())
    {
    }

    std::optional<double> operator()(double temperature)
    {
        const auto solved =
            flash::solve_pressure(spec_, temperature, x_, direction_, tolerance_, max_iterations_, k_);
        if (!solved || !std::isfinite(solved->pressure) || !(solved->pressure > 0.0)) return std::nullopt;
        return std::log(solved->pressure / pressure_);
    }

private:
    const SystemSpec& spec_;
    double pressure_;
    std::span<const double> x_;
    Direction direction_;
    double tolerance_;
    unsigned max_iterations_;
    SmallVector<double, 8> k_;
};

struct Bracket {
    double lo;
    double hi;
    double f_lo;
};

// The first pair of consecutive grid points where f is defined and
// f(T_k) f(T_k+1) <= 0; a point where f is undefined breaks the pairing.
std::optional<Bracket> first_bracket(Residual& f)
{
    std::optional<double> previous;
    double previous_t = 0.0;
    for (unsigned step = 0; step <= grid_steps; ++step) {
        const double t = grid_low + grid_span * static_cast<double>(step) / static_cast<double>(grid_steps);
        const std::optional<double> current = f(t);
        if (current && previous && *previous * *current <= 0.0) return Bracket{previous_t, t, *previous};
        previous = current;
        previous_t = t;
    }
    return std::nullopt;
}

}  // namespace

std::expected<IncipientPoint, ThermoError> flash::incipient_temperature(const SystemSpec& spec, double pressure,
                                                                        std::span<const double> x,
                                                                        Direction direction, double tolerance,
                                                                        unsigned max_iterations)
{
    const std::size_t n = spec.components.size();
    // Every grid solve would fail on these; report them instead of a missing bracket.
    if (auto ok = flash::check_composition(n, x.size(), direction); !ok) return std::unexpected(ok.error());
    if (auto ok = flash::check_models(spec, n); !ok) return std::unexpected(ok.error());

    Residual f(spec, pressure, x, direction, tolerance, max_iterations);
    const std::optional<Bracket> bracket = first_bracket(f);
    if (!bracket) return std::unexpected(ThermoError::no_convergence("saturation temperature bracket", grid_steps, nan));

    double lo = bracket->lo;
    double hi = bracket->hi;
    double f_lo = bracket->f_lo;
    std::optional<double> solved;
    for (unsigned iteration = 1; iteration <= max_iterations; ++iteration) {
        const double mid = (lo + hi) * 0.5;
        const std::optional<double> f_mid = f(mid);
        if (!f_mid) return std::unexpected(ThermoError::evaluation("P_sat(mid) failed"));
        if (std::abs(*f_mid) < tolerance || hi - lo < width_tolerance) {
            solved = mid;
            break;
        }
        if (iteration == max_iterations)
            return std::unexpected(
                ThermoError::no_convergence("saturation temperature", max_iterations, std::abs(*f_mid)));
        if (*f_mid * f_lo > 0.0) {
            lo = mid;
            f_lo = *f_mid;
        }
        else {
            hi = mid;
        }
    }
    if (!solved) return std::unexpected(ThermoError::no_convergence("saturation temperature", max_iterations, nan));

    // Final evaluation from a fresh Wilson estimate at the solved temperature.
    const double t = *solved;
    SmallVector<double, 8> k(n);
    for (std::size_t i = 0; i < n; ++i) k[i] = wilson_k(spec.components[i], t, pressure);
    auto last = evaluate_k(spec, t, pressure, x, direction, k, final_passes);
    if (!last) return std::unexpected(std::move(last.error()));
    // Where the cubic has a single root, K = 1 with both phases on it solves
    // every bubble-point equation; the scan can bracket such a trivial
    // crossing, which is no bubble point.
    if (last->trivial)
        return std::unexpected(ThermoError::evaluation(format::text(
            "trivial solution at T = ", t, " K: liquid and vapour on the same root (K = 1)")));
    const double residual = std::abs(last->sum - 1.0);
    if (!(residual <= final_tolerance))
        return std::unexpected(ThermoError::no_convergence(
            direction == Direction::Bubble ? "bubble temperature" : "dew temperature", final_passes, residual));
    const auto& y = last->incipient;
    if (auto error = flash::non_finite_result(k, y, t, pressure)) return std::unexpected(std::move(*error));
    return IncipientPoint{t, std::vector<double>(y.begin(), y.end()), std::vector<double>(k.begin(), k.end())};
}

}  // namespace kolvar::thermo
