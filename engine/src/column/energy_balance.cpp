// The one energy balance of a column, and its flows at constant molar overflow.
#include "engine/column/energy_balance.hpp"

#include "kolvar/format.hpp"

#include <cmath>

namespace kolvar::engine {

Result<Duties> column_duties(const Overhead& overhead, Stream bottoms, std::span<const Stream> feeds,
                             std::span<const Stream> side_draws)
{
    // Flows in kmol/h times enthalpies in J/mol = kJ/kmol: heat flows in kJ/h.
    const Stream& vapour = overhead.vapour;
    const Stream& distillate = overhead.distillate;
    const double removed =
        overhead.condenser == CondenserKind::Total
            ? vapour.rate * (vapour.enthalpy - distillate.enthalpy)
            : vapour.rate * vapour.enthalpy - overhead.reflux.rate * overhead.reflux.enthalpy -
                  distillate.rate * distillate.enthalpy;
    double out = distillate.rate * distillate.enthalpy + bottoms.rate * bottoms.enthalpy;
    for (const Stream& draw : side_draws) out += draw.rate * draw.enthalpy;
    out += removed;
    for (const Stream& feed : feeds) out -= feed.rate * feed.enthalpy;

    constexpr double per_kw = kilojoules_per_hour_per_kilowatt;
    const Duties duties{removed / per_kw, out / per_kw};
    if (!(std::isfinite(duties.condenser) && std::isfinite(duties.reboiler)))
        return thermo_failed(format::text("the duties are no finite numbers: Q_C = ", duties.condenser,
                                          " kW, Q_R = ", duties.reboiler, " kW"));
    return duties;
}

SectionFlows constant_overflow_flows(double reflux, double distillate, double feed, double q)
{
    SectionFlows flows;
    flows.reflux_flow = reflux * distillate;
    flows.vapour_flow = (reflux + 1.0) * distillate;
    flows.stripping_liquid_flow = flows.reflux_flow + q * feed;
    flows.boilup = flows.vapour_flow - (1.0 - q) * feed;
    return flows;
}

}  // namespace kolvar::engine
