#include "engine/binary/curve_from_thermo.hpp"

#include "kolvar/format.hpp"
#include "thermo/binary_stability.hpp"
#include "thermo/pressure_units.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kolvar::engine {
namespace {

// The width to which the edges of a liquid split are refined.
constexpr double split_edge_width = 1e-6;

// The split test of the liquid [x, 1 - x] at its bubble temperature; a test
// that fails counts as a stable liquid whose Gibbs energy may not be convex.
thermo::BinaryStability stability_at(const ThermoSystem& system, double pressure, double x, double temperature)
{
    const std::array<double, 2> liquid{x, 1.0 - x};
    const auto tested = thermo::binary_liquid_splits(system.spec(), temperature, pressure, liquid);
    return tested ? *tested : thermo::BinaryStability{};
}

// The bubble temperature of the liquid [x, 1 - x]; nothing when it fails.
std::optional<double> bubble_temperature_at(const ThermoSystem& system, double pressure, double x)
{
    const std::array<double, 2> liquid{x, 1.0 - x};
    const auto point = system.bubble_temperature(pressure, liquid);
    return point ? std::optional<double>(point->value) : std::nullopt;
}

// Whether that liquid splits; a bubble point that fails counts as stable.
bool splits_at(const ThermoSystem& system, double pressure, double x)
{
    const auto temperature = bubble_temperature_at(system, pressure, x);
    return temperature && stability_at(system, pressure, x, *temperature).splits;
}

// Bisects between a stable and an unstable x, the test at each midpoint
// made at the temperature `temperature_at` gives it; returns the unstable end.
template <class TemperatureAt>
Result<double> bisected_edge(double stable, double unstable, Interrupt& interrupt, TemperatureAt&& temperature_at,
                             const ThermoSystem& system, double pressure)
{
    while (std::abs(unstable - stable) > split_edge_width) {
        if (auto going = interrupt.check(); !going) return std::unexpected(std::move(going.error()));
        const double middle = 0.5 * (stable + unstable);
        const auto temperature = temperature_at(middle);
        const bool splits = temperature && stability_at(system, pressure, middle, *temperature).splits;
        (splits ? unstable : stable) = middle;
    }
    return unstable;
}

// The bubble temperature at x in the grid interval starting at `interval`,
// from the cubic through the four grid temperatures around it: the bubble
// temperature is smooth in x, and the cubic's error at a grid spacing of 0.01
// moves an edge by far less than its width.
double interpolated_temperature(std::span<const double> xs, std::span<const double> ts, std::size_t interval,
                                double x)
{
    const std::size_t first = std::min(interval > 0 ? interval - 1 : 0, xs.size() - 4);
    double temperature = 0.0;
    for (std::size_t j = first; j < first + 4; ++j) {
        double weight = 1.0;
        for (std::size_t k = first; k < first + 4; ++k)
            if (k != j) weight *= (x - xs[k]) / (xs[j] - xs[k]);
        temperature += weight * ts[j];
    }
    return temperature;
}

// The edge of a split between the grid liquids `stable` and `unstable`
// (neighbours), the second's split shown by the trial liquid `witness`:
// bisection with the interpolated bubble temperatures, each midpoint tested
// by following the other liquid's minimum of the tangent-plane distance from
// where the last test left it; the unstable end is then confirmed by the full
// test at its own bubble temperature. Where the minimum is lost or the end
// not confirmed, the full test at every midpoint takes over, and then a
// bubble point at every midpoint too.
Result<double> split_edge(const ThermoSystem& system, double pressure, std::span<const double> xs,
                          std::span<const double> ts, std::size_t stable, std::size_t unstable, double witness,
                          Interrupt& interrupt)
{
    const std::size_t interval = std::min(stable, unstable);
    const auto interpolated = [&](double x) { return interpolated_temperature(xs, ts, interval, x); };
    const auto minimum = [&](double x, double temperature, double start) -> std::optional<thermo::TangentMinimum> {
        const std::array<double, 2> liquid{x, 1.0 - x};
        auto found = thermo::binary_tangent_minimum(system.spec(), temperature, pressure, liquid, start);
        return found ? *found : std::nullopt;
    };
    // The minimum that shows the split at the unstable grid liquid, followed
    // to the stable one and then between them, where its tpd crosses zero:
    // regula falsi on that tpd, with the Illinois halving of an end kept twice.
    auto inside = minimum(xs[unstable], ts[unstable], witness);
    auto outside = inside && inside->splits ? minimum(xs[stable], ts[stable], inside->w1) : std::nullopt;
    if (outside && !outside->splits) {
        double stable_end = xs[stable];
        double unstable_end = xs[unstable];
        double stable_tpd = outside->tpd;
        double unstable_tpd = inside->tpd;
        double start = inside->w1;
        int kept = 0;  // the end the last step replaced: -1 stable, +1 unstable
        bool lost = false;
        while (std::abs(unstable_end - stable_end) > split_edge_width) {
            if (auto going = interrupt.check(); !going) return std::unexpected(std::move(going.error()));
            double x = unstable_end - unstable_tpd * (unstable_end - stable_end) / (unstable_tpd - stable_tpd);
            if (!(std::abs(x - stable_end) < std::abs(unstable_end - stable_end) &&
                  std::abs(x - unstable_end) < std::abs(unstable_end - stable_end)))
                x = 0.5 * (stable_end + unstable_end);
            const auto next = minimum(x, interpolated(x), start);
            if (!next) {
                lost = true;
                break;
            }
            start = next->w1;
            if (next->splits) {
                unstable_end = x;
                unstable_tpd = next->tpd;
                if (kept == 1) stable_tpd *= 0.5;
                kept = 1;
            }
            else {
                stable_end = x;
                stable_tpd = next->tpd;
                if (kept == -1) unstable_tpd *= 0.5;
                kept = -1;
            }
        }
        if (!lost && splits_at(system, pressure, unstable_end)) return unstable_end;
    }
    const auto by_interpolation = [&](double x) -> std::optional<double> { return interpolated(x); };
    auto edge = bisected_edge(xs[stable], xs[unstable], interrupt, by_interpolation, system, pressure);
    if (!edge || splits_at(system, pressure, *edge)) return edge;
    const auto bubble = [&](double x) { return bubble_temperature_at(system, pressure, x); };
    return bisected_edge(xs[stable], xs[unstable], interrupt, bubble, system, pressure);
}

// The failure of a bubble point at a pressure above every component's
// critical pressure, where no liquid of the grid can boil: most often a
// pressure in Pa given where kPa is meant. Any other failure is kept.
EngineError named_pressure(const ThermoSystem& system, double pressure, EngineError failure)
{
    const auto above = above_every_critical_pressure(system, pressure);
    if (!above) return failure;
    return EngineError{failure.kind, format::text("no liquid can boil at ", pressure, " kPa, ", *above)};
}

}  // namespace

Result<EquilibriumCurve> curve_from_thermo(const ThermoSystem& system, double pressure, std::uint64_t n_points,
                                           Interrupt interrupt)
{
    const std::size_t n_components = system.components().size();
    if (n_components != 2) {
        return invalid_input(format::text("equilibrium curve needs a binary system, got ",
                                          static_cast<std::uint64_t>(n_components), " components"));
    }
    if (auto ok = check_point_count(n_points); !ok) return std::unexpected(std::move(ok.error()));

    std::vector<double> x, y, t;
    for (std::uint64_t i = 0; i < n_points; ++i) {
        if (auto going = interrupt.check(); !going) return std::unexpected(std::move(going.error()));
        const double x_i = grid_point(i, n_points);
        const std::array<double, 2> liquid{x_i, 1.0 - x_i};
        auto point = system.bubble_temperature(pressure, liquid);
        if (!point) return std::unexpected(named_pressure(system, pressure, std::move(point.error())));
        const double temperature = point->value;
        const double y_i = i == 0 ? 0.0 : i + 1 == n_points ? 1.0 : point->y[0];
        // A non-finite sample would silently spoil every design made on the curve.
        if (!std::isfinite(temperature) || !std::isfinite(y_i)) {
            return thermo_failed(format::text("non-finite bubble point at x = ", format::Fixed{x_i, 3}, ": T = ",
                                              temperature, " K, y* = ", y_i));
        }
        x.push_back(x_i);
        y.push_back(y_i);
        t.push_back(temperature);
    }
    // A listed-second light component leaves the first one depleted in the
    // vapour at both ends of the grid. A maximum-boiling azeotrope depletes it
    // only at the first interior point (the vapour there leans to the side of
    // the lower-boiling pure component), so its curve is kept.
    const std::size_t last_interior = x.size() - 2;
    if (x[1] >= y[1] && x[last_interior] >= y[last_interior]) {
        return thermo_failed(format::text("component order looks inverted: y*(", format::Fixed{x[1], 3}, ") = ",
                                          format::Fixed{y[1], 4}, " ≤ x — list the more volatile component first"));
    }
    return EquilibriumCurve::from_samples(std::move(x), std::move(y), std::move(t), pressure);
}

Result<CurveFromThermo> curve_and_split_from_thermo(const ThermoSystem& system, double pressure,
                                                    std::uint64_t n_points, Interrupt interrupt)
{
    auto curve = curve_from_thermo(system, pressure, n_points, interrupt);
    if (!curve) return std::unexpected(std::move(curve.error()));
    const std::span<const double> x = curve->x();
    const std::span<const double> t = curve->t();
    const std::size_t last = x.size() - 1;

    // Every other interior point is tested (and the last one); a point
    // between two whose Gibbs energy is convex lies at a temperature between
    // theirs, where it is convex too, and needs no test of its own. Only the
    // first and the last unstable points bound the split, so the tests run
    // inwards from either end and stop at them.
    std::vector<thermo::BinaryStability> stability(x.size(), thermo::BinaryStability{.splits = false, .convex = true});
    std::vector<bool> tested(x.size(), false);
    const auto test = [&](std::size_t i) -> Result<void> {
        if (tested[i]) return {};
        if (auto going = interrupt.check(); !going) return std::unexpected(std::move(going.error()));
        stability[i] = stability_at(system, pressure, x[i], t[i]);
        tested[i] = true;
        return {};
    };
    const auto splits = [&](std::size_t i) -> Result<bool> {
        if (i % 2 == 0 && i + 1 != last) {
            if (auto ok = test(i - 1); !ok) return std::unexpected(std::move(ok.error()));
            if (auto ok = test(i + 1); !ok) return std::unexpected(std::move(ok.error()));
            if (stability[i - 1].convex && stability[i + 1].convex) return false;
        }
        if (auto ok = test(i); !ok) return std::unexpected(std::move(ok.error()));
        return stability[i].splits;
    };
    std::size_t first_unstable = 0;
    for (std::size_t i = 1; i < last && first_unstable == 0; ++i) {
        auto split = splits(i);
        if (!split) return std::unexpected(std::move(split.error()));
        if (*split) first_unstable = i;
    }
    std::size_t last_unstable = first_unstable;
    for (std::size_t i = last - 1; i > first_unstable && last_unstable == first_unstable; --i) {
        auto split = splits(i);
        if (!split) return std::unexpected(std::move(split.error()));
        if (*split) last_unstable = i;
    }
    if (first_unstable == 0) return CurveFromThermo{std::move(*curve), std::nullopt};

    auto low = split_edge(system, pressure, x, t, first_unstable - 1, first_unstable, stability[first_unstable].witness,
                          interrupt);
    if (!low) return std::unexpected(std::move(low.error()));
    auto high = split_edge(system, pressure, x, t, last_unstable + 1, last_unstable, stability[last_unstable].witness,
                           interrupt);
    if (!high) return std::unexpected(std::move(high.error()));
    return CurveFromThermo{std::move(*curve), LiquidSplit{*low, *high}};
}

}  // namespace kolvar::engine
