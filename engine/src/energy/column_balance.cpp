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

    const double q = column.feed.q;
    const SectionFlows flows = constant_overflow_flows(reflux, *distillate, column.feed.rate, q);
    ColumnEnergy out;
    out.reflux_flow = flows.reflux_flow;
    out.vapour_flow = flows.vapour_flow;
    out.stripping_liquid_flow = flows.stripping_liquid_flow;
    out.boilup = flows.boilup;
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
