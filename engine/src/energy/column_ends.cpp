// The saturated states at the ends of a binary column and its duties.
#include "column_ends.hpp"

#include "engine/column/energy_balance.hpp"
#include "engine/energy/saturated_enthalpy.hpp"

#include "kolvar/format.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

namespace kolvar::engine::detail {
namespace {

using format::text;

std::array<double, 2> binary(double x) { return {x, 1.0 - x}; }

}  // namespace

Result<void> check_balance_inputs(const ThermoSystem& system, const BinaryColumn& column,
                                  std::optional<double> reflux, std::string_view what)
{
    const std::size_t n = system.components().size();
    if (n != 2)
        return invalid_input(text(what, " needs a binary system, got ", static_cast<std::uint64_t>(n), " components"));
    if (reflux && !(*reflux > 0.0)) return invalid_input(text("reflux ratio must be positive, got ", *reflux));
    if (reflux && !std::isfinite(*reflux)) return invalid_input(text("reflux ratio must be finite, got ", *reflux));
    const double p = column.pressure;
    if (!(std::isfinite(p) && p > 0.0)) return invalid_input(text("pressure must be positive and finite, got ", p, " kPa"));
    if (!std::isfinite(column.feed.q)) return invalid_input(text("q must be finite, got ", column.feed.q));
    return {};
}

Result<double> top_difference_height(const ThermoSystem& system, double p, const ColumnTop& top, double reflux)
{
    if (top.condenser == CondenserKind::Total)
        return (reflux + 1.0) * (top.overhead_enthalpy - top.distillate_enthalpy) + top.distillate_enthalpy;
    const auto inlet = condenser_inlet_enthalpy(system, p, top, reflux);
    if (!inlet) return inlet;
    return (reflux + 1.0) * *inlet - reflux * top.reflux_enthalpy;
}

Result<ColumnEnds> column_states(const ThermoSystem& system, const BinaryColumn& column)
{
    const double p = column.pressure;
    const auto d = distillate_rate(column);
    if (!d) return std::unexpected(d.error());
    ColumnEnds ends;
    ends.distillate_rate = *d;
    ends.bottoms_rate = column.feed.rate - *d;

    auto top = column_top(system, p, binary(column.x_distillate), column.condenser);
    if (!top) return std::unexpected(std::move(top.error()));
    ends.top = std::move(*top);
    const double t_top = ends.top.temperature;

    const auto bottoms = bubble_enthalpy(system, p, binary(column.x_bottoms));
    if (!bottoms) return std::unexpected(bottoms.error());
    ends.bottom_temperature = bottoms->temperature;
    ends.bottoms_enthalpy = bottoms->enthalpy;
    // Light component first: the top of a column is its cold end.
    if (!(t_top < bottoms->temperature))
        return thermo_failed(text("component order looks inverted: the distillate boils at ",
                                  format::Fixed{t_top, 2}, " K, not below the bottoms at ",
                                  format::Fixed{bottoms->temperature, 2},
                                  " K — list the more volatile component first"));

    const auto feed = feed_enthalpy(system, p, binary(column.feed.z), column.feed.q);
    if (!feed) return std::unexpected(feed.error());
    ends.feed_enthalpy = *feed;
    return ends;
}

Result<ColumnEnds> column_ends(const ThermoSystem& system, const BinaryColumn& column, double reflux)
{
    auto ends = column_states(system, column);
    if (!ends) return ends;
    const ColumnTop& top = ends->top;
    const auto inlet = condenser_inlet_enthalpy(system, column.pressure, top, reflux);
    if (!inlet) return std::unexpected(inlet.error());
    const Overhead overhead = overhead_streams(top, reflux, ends->distillate_rate, *inlet);
    const Stream feed{column.feed.rate, ends->feed_enthalpy};
    const auto duties = column_duties(overhead, {ends->bottoms_rate, ends->bottoms_enthalpy}, {&feed, 1});
    if (!duties) return std::unexpected(duties.error());
    ends->condenser_duty = duties->condenser;
    ends->reboiler_duty = duties->reboiler;
    return ends;
}

}  // namespace kolvar::engine::detail
