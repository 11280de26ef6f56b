// The saturated states at the top of a column.
#include "engine/column/column_top.hpp"

#include "engine/energy/saturated_enthalpy.hpp"

#include <utility>

namespace kolvar::engine {
namespace {

// The last fraction one less the others.
void close_last(std::vector<double>& fractions)
{
    double others = 0.0;
    for (std::size_t i = 0; i + 1 < fractions.size(); ++i) others += fractions[i];
    fractions.back() = 1.0 - others;
}

}  // namespace

Result<ColumnTop> column_top(const ThermoSystem& system, double p, std::span<const double> distillate,
                             CondenserKind condenser, Interrupt interrupt)
{
    ColumnTop top;
    top.condenser = condenser;
    top.distillate.assign(distillate.begin(), distillate.end());
    if (condenser == CondenserKind::Partial) {
        // The distillate leaves as vapour; the reflux is the liquid in
        // equilibrium with it, at the same (dew) temperature.
        auto dew = dew_enthalpy(system, p, distillate, interrupt);
        if (!dew) return std::unexpected(std::move(dew.error()));
        top.temperature = dew->temperature;
        top.distillate_enthalpy = dew->enthalpy;
        top.reflux_liquid = std::move(dew->incipient);
        close_last(top.reflux_liquid);
        const auto reflux = system.enthalpy(dew->temperature, p, top.reflux_liquid, thermo::Phase::Liquid);
        if (!reflux) return std::unexpected(reflux.error());
        top.reflux_enthalpy = *reflux;
        return top;
    }
    // The whole overhead vapour x_D condenses to saturated liquid.
    const auto bubble = bubble_enthalpy(system, p, distillate, interrupt);
    if (!bubble) return std::unexpected(bubble.error());
    const auto dew = dew_enthalpy(system, p, distillate, interrupt);
    if (!dew) return std::unexpected(dew.error());
    top.temperature = bubble->temperature;
    top.distillate_enthalpy = bubble->enthalpy;
    top.reflux_liquid = top.distillate;
    top.reflux_enthalpy = bubble->enthalpy;
    top.overhead_enthalpy = dew->enthalpy;
    return top;
}

Result<double> condenser_inlet_enthalpy(const ThermoSystem& system, double p, const ColumnTop& top, double reflux)
{
    if (top.condenser == CondenserKind::Total) return top.overhead_enthalpy;
    std::vector<double> inlet(top.distillate.size());
    for (std::size_t i = 0; i + 1 < inlet.size(); ++i)
        inlet[i] = (reflux * top.reflux_liquid[i] + top.distillate[i]) / (reflux + 1.0);
    close_last(inlet);
    const auto vapour = dew_enthalpy(system, p, inlet);
    if (!vapour) return std::unexpected(vapour.error());
    return vapour->enthalpy;
}

Overhead overhead_streams(const ColumnTop& top, double reflux, double distillate, double inlet_enthalpy)
{
    return {.condenser = top.condenser,
            .vapour = {(reflux + 1.0) * distillate, inlet_enthalpy},
            .reflux = {reflux * distillate, top.reflux_enthalpy},
            .distillate = {distillate, top.distillate_enthalpy}};
}

}  // namespace kolvar::engine
