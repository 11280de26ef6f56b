// Flows and duties of a binary column at constant molar overflow.
#include "engine/energy/column_balance.hpp"

#include "column_ends.hpp"

#include "kolvar/format.hpp"

#include <utility>

namespace kolvar::engine {

Result<ColumnEnergy> column_energy(const ThermoSystem& system, const BinaryColumn& column, double reflux)
{
    using format::text;
    if (auto ok = detail::check_balance_inputs(system, column, reflux, "the column's energy balance"); !ok)
        return std::unexpected(std::move(ok.error()));
    const auto distillate = distillate_rate(column);
    if (!distillate) return std::unexpected(distillate.error());

    const double feed = column.feed.rate;
    const double q = column.feed.q;
    ColumnEnergy out;
    out.reflux_flow = reflux * *distillate;
    out.vapour_flow = (reflux + 1.0) * *distillate;
    out.stripping_liquid_flow = out.reflux_flow + q * feed;
    out.boilup = out.vapour_flow - (1.0 - q) * feed;
    // A feed that takes away more liquid (or vapour) than the reflux brings
    // leaves the stripping section without one of its phases: no column runs so.
    if (!(out.stripping_liquid_flow > 0.0))
        return infeasible(text("the stripping section has no liquid at R = ", reflux,
                               ": L' = L + q F = ", out.stripping_liquid_flow, " kmol/h for q = ", q));
    if (!(out.boilup > 0.0))
        return infeasible(text("the stripping section has no vapour at R = ", reflux,
                               ": V' = V - (1 - q) F = ", out.boilup, " kmol/h for q = ", q));

    const auto ends = detail::column_ends(system, column, reflux);
    if (!ends) return std::unexpected(ends.error());
    out.distillate_rate = ends->distillate_rate;
    out.bottoms_rate = ends->bottoms_rate;
    out.top_temperature = ends->top.temperature;
    out.bottom_temperature = ends->bottom_temperature;
    out.condenser_duty = ends->condenser_duty;
    out.reboiler_duty = ends->reboiler_duty;
    return out;
}

}  // namespace kolvar::engine
