// The enthalpy-balanced design: difference points, minimum reflux, stages
// stepped on the tie lines, and the flows between the stages.
#include "engine/energy/ponchon_savarit.hpp"

#include "column_ends.hpp"
#include "minimum_reflux.hpp"
#include "system_tie_lines.hpp"
#include "tie_lines.hpp"

#include "binary/design_checks.hpp"

#include "engine/binary/limits.hpp"
#include "engine/column/energy_balance.hpp"
#include "engine/energy/enthalpy_curve.hpp"

#include "kolvar/format.hpp"

#include <optional>
#include <utility>

namespace kolvar::engine {
namespace {

using detail::Spot;
using format::Fixed;
using format::text;

// Corners reserved up front, as the McCabe-Thiele construction does.
constexpr std::size_t reserved_stages = 32;

// How closely each stage's liquid is settled on the system's tie line: far
// below what moves a stage count, and two bubble points past the sampled
// start.
constexpr double settled_stage = 1e-13;

std::unexpected<EngineError> at_or_below_minimum(double reflux, double r_min)
{
    return not_converged(
        text("R = ", reflux, " ≤ R_min = ", Fixed{r_min, 6}, ": the staircase pinches before reaching x_B"));
}

std::unexpected<EngineError> pinched(double x, std::uint64_t n, double r_min)
{
    return not_converged(text("staircase pinched at x = ", Fixed{x, 6}, " after ", n,
                              " stages (R too close to R_min = ", Fixed{r_min, 6}, ")"));
}

// The flows leaving each stage, from the compositions of the streams that
// pass between stages: above the feed stage V_{n+1} - L_n = D carrying
// D x_D, from it down L_n - V_{n+1} = B carrying B x_B. The vapour of stage 1
// is (R + 1) D into a total condenser, or D itself leaving a partial one; the
// liquid of the last stage is the bottoms.
void set_flows(PonchonSavaritResult& out)
{
    auto& stages = out.stages;
    const double x_d = out.column.x_distillate;
    const double x_b = out.column.x_bottoms;
    const double d = out.distillate_rate;
    const double b = out.bottoms_rate;
    stages.front().vapour_flow = out.column.condenser == CondenserKind::Total ? (out.reflux + 1.0) * d : d;
    for (std::size_t k = 0; k + 1 < stages.size(); ++k) {
        const double x = stages[k].x;
        const double y = stages[k + 1].y;
        if (stages[k].index < out.feed_stage) {
            stages[k].liquid_flow = d * ((x_d - y) / (y - x));
            stages[k + 1].vapour_flow = d * ((x_d - x) / (y - x));
        } else {
            stages[k].liquid_flow = b * ((y - x_b) / (y - x));
            stages[k + 1].vapour_flow = b * ((x - x_b) / (y - x));
        }
    }
    stages.back().liquid_flow = b;
}

// The system's tie line whose vapour end lies on the line from `pole`
// through the liquid end of `tie`, found by its liquid end (a bubble point
// names one tie line where a dew point may name several) from the sampled
// crossing; empty when the sampled diagram shows none or the secant does not
// settle.
Result<std::optional<detail::ExactTie>> next_tie(const detail::TieLines& lines, const detail::SystemTieLines& system,
                                                 Spot pole, const detail::ExactTie& tie)
{
    const Spot liquid{tie.line.x, tie.line.h};
    const auto crossing = detail::vapour_crossing(lines, pole, liquid);
    if (!crossing) return std::optional<detail::ExactTie>{};
    const double slope = (pole.h - liquid.h) / (pole.x - liquid.x);
    detail::ExactTie next;
    const auto residual = [&](double x) -> Result<double> {
        auto found = system.of_liquid(x);
        if (!found) return std::unexpected(std::move(found.error()));
        next = *found;
        return next.line.H - (liquid.h + slope * (next.line.y - liquid.x));
    };
    const auto root = detail::secant_root(residual, crossing->x, crossing->x_low, crossing->x_high, settled_stage);
    if (!root) return std::unexpected(root.error());
    if (!*root) return std::optional<detail::ExactTie>{};
    return std::optional{next};
}

// The system's tie line whose vapour is x_D, from the sampled curve's liquid.
Result<detail::ExactTie> top_tie(const EquilibriumCurve& curve, const detail::SystemTieLines& system, double x_d)
{
    const auto start = curve.x_of_y(x_d);
    if (!start) return std::unexpected(start.error());
    detail::ExactTie top;
    const auto residual = [&](double x) -> Result<double> {
        auto found = system.of_liquid(x);
        if (!found) return std::unexpected(std::move(found.error()));
        top = *found;
        return top.line.y - x_d;
    };
    const auto root =
        detail::secant_root(residual, *start, std::max(0.0, *start - 0.02), std::min(x_d, *start + 0.02), settled_stage);
    if (!root) return std::unexpected(root.error());
    if (!*root) return system.of_vapour(x_d);
    top.line.y = x_d;  // to within the settling, and exactly where the stages start
    return top;
}

// Steps stages from y_1 = x_D with the top difference point, switching to
// the bottom one at the first x_n <= x_switch, each stage on the system's
// own tie line. Fills the stages, the count and the feed stage.
Result<void> step(const EnthalpyCurve& sampled, const detail::TieLines& lines, const detail::SystemTieLines& system,
                  PonchonSavaritResult& out, double x_switch)
{
    const double x_d = out.column.x_distillate;
    const double x_b = out.column.x_bottoms;
    const Spot top{out.top_difference_point.x, out.top_difference_point.y};
    const Spot bottom{out.bottom_difference_point.x, out.bottom_difference_point.y};
    auto first = top_tie(sampled.curve, system, x_d);
    if (!first) return std::unexpected(std::move(first.error()));
    detail::ExactTie tie = *first;
    double x_prev = x_d;
    bool switched = false;
    for (std::uint64_t n = 1; n <= binary_limits::max_stages; ++n) {
        const double x = tie.line.x;
        out.stages.push_back({.index = n, .x = x, .y = tie.line.y, .t = tie.t});

        if (x <= x_b) {
            out.n_stages = static_cast<double>(n - 1) + detail::last_stage_fraction(x_prev, x, x_b);
            if (!switched) out.feed_stage = n;
            return {};
        }
        if (x_prev - x < binary_limits::min_stage_progress) return pinched(x, n, out.r_min);
        if (!switched && x <= x_switch) {
            switched = true;
            out.feed_stage = n;
        }
        auto next = next_tie(lines, system, switched ? bottom : top, tie);
        if (!next) return std::unexpected(std::move(next.error()));
        if (!*next) return pinched(x, n, out.r_min);
        tie = **next;
        x_prev = x;
    }
    return not_converged(
        text("exceeded ", binary_limits::max_stages, " stages without reaching x_B = ", x_b, " — spec pinched"));
}

// The x where the line through the difference points crosses the system's
// liquid line, settled from the sampled crossing `start`.
Result<double> switch_point(const detail::SystemTieLines& system, Spot a, Spot b, double start, double x_b,
                            double x_d)
{
    const double slope = (b.h - a.h) / (b.x - a.x);
    const auto residual = [&](double x) -> Result<double> {
        const auto tie = system.of_liquid(x);
        if (!tie) return std::unexpected(tie.error());
        return tie->line.h - (a.h + slope * (x - a.x));
    };
    const auto root = detail::secant_root(residual, start, std::max(x_b, start - 0.01),
                                              std::min(x_d, start + 0.01), settled_stage);
    if (!root) return std::unexpected(root.error());
    return *root ? **root : start;
}

// The checks that come before any thermodynamics, the reflux's among them
// when one is given.
Result<void> check_design(const ThermoSystem& system, const BinaryColumn& column, std::optional<double> reflux)
{
    if (auto ok = detail::check_balance_inputs(system, column, reflux, "the enthalpy-composition design"); !ok)
        return ok;
    return detail::check_compositions(column.x_distillate, column.x_bottoms, column.feed.z);
}

struct Minimum {
    double r_min = 0.0;
    Point pinch;
};

// The minimum reflux on the system's tie lines, for the column's ends.
Result<Minimum> minimum_reflux(const ThermoSystem& system, const BinaryColumn& column, const detail::ColumnEnds& ends,
                               const detail::TieLines& lines)
{
    const detail::SystemTieLines exact(system, column.pressure);
    const auto minimum = detail::minimum_top_height(lines, exact, column, ends.feed_enthalpy);
    if (!minimum) return std::unexpected(minimum.error());
    const auto r_min = detail::reflux_for_height(system, column.pressure, ends.top, minimum->height);
    if (!r_min) return std::unexpected(r_min.error());
    return Minimum{*r_min, minimum->pinch};
}

}  // namespace

Result<double> ponchon_savarit_min_reflux(const ThermoSystem& system, const BinaryColumn& column, Interrupt interrupt)
{
    if (auto ok = check_design(system, column, std::nullopt); !ok) return std::unexpected(std::move(ok.error()));
    const auto ends = detail::column_states(system, column);
    if (!ends) return std::unexpected(ends.error());
    const auto sampled = enthalpy_curve(system, column.pressure, binary_limits::default_curve_points, interrupt);
    if (!sampled) return std::unexpected(sampled.error());
    const auto minimum = minimum_reflux(system, column, *ends, detail::TieLines(*sampled));
    if (!minimum) return std::unexpected(minimum.error());
    return minimum->r_min;
}

Result<PonchonSavaritResult> ponchon_savarit(const ThermoSystem& system, const BinaryColumn& column, double reflux,
                                             Interrupt interrupt)
{
    if (auto ok = check_design(system, column, reflux); !ok) return std::unexpected(std::move(ok.error()));

    // The column's ends first: they say which composition has no saturation
    // point at the pressure, and they cost a few of the sweep's points.
    const double p = column.pressure;
    const auto ends = detail::column_ends(system, column, reflux);
    if (!ends) return std::unexpected(ends.error());
    const auto sampled = enthalpy_curve(system, p, binary_limits::default_curve_points, interrupt);
    if (!sampled) return std::unexpected(sampled.error());
    const detail::TieLines lines(*sampled);

    const auto minimum = minimum_reflux(system, column, *ends, lines);
    if (!minimum) return std::unexpected(minimum.error());
    const double r_min = minimum->r_min;
    if (!(r_min < reflux)) return at_or_below_minimum(reflux, r_min);

    PonchonSavaritResult out;
    out.column = column;
    out.reflux = reflux;
    out.r_min = r_min;
    out.pinch = minimum->pinch;
    out.condenser_duty = ends->condenser_duty;
    out.reboiler_duty = ends->reboiler_duty;
    out.distillate_rate = ends->distillate_rate;
    out.bottoms_rate = ends->bottoms_rate;
    // The top difference point: the net flow D and the heat Q_C leaving the
    // top. The bottom one on the line from it through the feed point.
    const double x_d = column.x_distillate;
    const double x_b = column.x_bottoms;
    const double z_f = column.feed.z;
    const double h_f = ends->feed_enthalpy;
    const double top_height = ends->top.distillate_enthalpy +
                              kilojoules_per_hour_per_kilowatt * ends->condenser_duty / ends->distillate_rate;
    const double bottom_height = h_f - (top_height - h_f) * ((z_f - x_b) / (x_d - z_f));
    out.top_difference_point = {x_d, top_height};
    out.bottom_difference_point = {x_b, bottom_height};

    const auto sampled_switch = detail::liquid_crossing(lines, {x_d, top_height}, {x_b, bottom_height}, x_b, x_d);
    if (!sampled_switch || !(*sampled_switch > x_b)) return at_or_below_minimum(reflux, r_min);
    const detail::SystemTieLines exact(system, p);
    const auto x_switch = switch_point(exact, {x_d, top_height}, {x_b, bottom_height}, *sampled_switch, x_b, x_d);
    if (!x_switch) return std::unexpected(x_switch.error());

    out.stages.reserve(reserved_stages);
    if (auto stepped = step(*sampled, lines, exact, out, *x_switch); !stepped) return std::unexpected(stepped.error());
    set_flows(out);
    return out;
}

}  // namespace kolvar::engine
