// The shortcut design: the checks, the feed's bubble point, then Fenske,
// Underwood, Gilliland and Kirkbride in turn, and the energy balance.
#include "steps.hpp"

#include "engine/energy/column_balance.hpp"
#include "engine/energy/saturated_enthalpy.hpp"
#include "kolvar/format.hpp"

#include <cmath>

namespace kolvar::engine {

using multicomponent::component_name;
using format::text;

Result<ShortcutResult> shortcut(const ThermoSystem& system, const ShortcutSpec& spec, Interrupt interrupt)
{
    auto checked = multicomponent::check_shortcut(system, spec);
    if (!checked) return std::unexpected(std::move(checked.error()));
    const auto [light, heavy] = checked->keys;
    const std::vector<double>& z = checked->z;

    auto feed = system.bubble_temperature(spec.pressure, z, interrupt);
    if (!feed) return std::unexpected(std::move(feed.error()));
    if (!(feed->k[light] > feed->k[heavy])) {
        return invalid_input(text("light key ", component_name(system, light), " is not more volatile than heavy key ",
                                  component_name(system, heavy), " at the feed's bubble point (", feed->value,
                                  " K): K = ", feed->k[light], " and ", feed->k[heavy]));
    }

    auto split = multicomponent::fenske_distribution(system, spec, *checked, feed->k, interrupt);
    if (!split) return std::unexpected(std::move(split.error()));

    ShortcutResult out;
    out.n_min = split->n_min;
    out.top_temperature = split->top_temperature;
    out.bottom_temperature = split->bottom_temperature;
    // The products' fractions of the feed, and their compositions.
    const std::size_t n = z.size();
    double top = 0.0, bottom = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        top += split->distillate[i];
        bottom += split->bottoms[i];
    }
    out.distillate.resize(n);
    out.bottoms.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        out.distillate[i] = split->distillate[i] / top;
        out.bottoms[i] = split->bottoms[i] / bottom;
    }
    out.distillate_rate = spec.feed_rate * top;
    out.bottoms_rate = spec.feed_rate * bottom;
    // Only at the very ends of the range of doubles.
    for (double rate : {out.distillate_rate, out.bottoms_rate}) {
        if (!(std::isfinite(rate) && rate > 0.0)) {
            return invalid_input(text("feed rate ", spec.feed_rate, " kmol/h gives a product rate of ", rate,
                                      " kmol/h; state the feed in other units"));
        }
    }
    out.alpha = std::move(split->alpha);

    out.r_min = underwood_min_reflux(out.alpha, z, out.distillate, light, heavy, spec.q);
    if (!std::isfinite(out.r_min)) {
        return infeasible(text("the minimum reflux is not finite (R_min = ", out.r_min, ") for q = ", spec.q,
                               ": Underwood's root falls on a volatility"));
    }
    if (!spec.reflux && out.r_min == 0.0) {
        return infeasible("reflux_factor cannot set the reflux: R_min = 0 (the separation pinches nowhere); "
                          "give reflux instead");
    }
    out.reflux = spec.reflux ? *spec.reflux : *spec.reflux_factor * out.r_min;
    if (!(out.reflux > out.r_min)) {
        const std::string factor = spec.reflux ? "" : text(" (", *spec.reflux_factor, " R_min)");
        return infeasible(
            text("reflux R = ", out.reflux, factor, " must exceed the minimum reflux R_min = ", out.r_min));
    }
    out.n_stages = gilliland_stages(out.n_min, out.r_min, out.reflux);
    // Below 2^53 every stage number is exact, and so is the feed stage.
    if (!(out.n_stages < 0x1p53)) {
        return infeasible(text("reflux R = ", out.reflux, " lies too close to R_min = ", out.r_min,
                               " for a usable stage count (N = ", out.n_stages, ")"));
    }

    const double ratio = kirkbride_ratio(bottom / top, z[heavy], z[light],
                                         out.bottoms[light], out.distillate[heavy]);
    // N ratio / (1 + ratio), written so that an unbounded ratio gives N.
    out.rectifying_stages = out.n_stages / (1.0 + 1.0 / ratio);
    out.feed_stage = static_cast<std::uint64_t>(std::round(out.rectifying_stages)) + 1;

    // The total condenser turns the top vapour x_D into saturated liquid.
    const auto distillate_liquid = bubble_enthalpy(system, spec.pressure, out.distillate, interrupt);
    if (!distillate_liquid) return std::unexpected(distillate_liquid.error());
    const auto distillate_vapour = dew_enthalpy(system, spec.pressure, out.distillate, interrupt);
    if (!distillate_vapour) return std::unexpected(distillate_vapour.error());
    const auto bottoms_liquid = bubble_enthalpy(system, spec.pressure, out.bottoms, interrupt);
    if (!bottoms_liquid) return std::unexpected(bottoms_liquid.error());
    const auto h_feed = feed_enthalpy(system, spec.pressure, z, spec.q, interrupt);
    if (!h_feed) return std::unexpected(h_feed.error());
    // Flows in kmol/h times enthalpies in J/mol = kJ/kmol: heat flows in kJ/h.
    const double removed =
        (out.reflux + 1.0) * out.distillate_rate * (distillate_vapour->enthalpy - distillate_liquid->enthalpy);
    out.condenser_duty = removed / kilojoules_per_hour_per_kilowatt;
    out.reboiler_duty = (out.distillate_rate * distillate_liquid->enthalpy +
                         out.bottoms_rate * bottoms_liquid->enthalpy + removed - spec.feed_rate * *h_feed) /
                        kilojoules_per_hour_per_kilowatt;
    if (!(std::isfinite(out.condenser_duty) && std::isfinite(out.reboiler_duty)))
        return thermo_failed(text("the duties are no finite numbers: Q_C = ", out.condenser_duty, " kW, Q_R = ",
                                  out.reboiler_duty, " kW"));
    return out;
}

}  // namespace kolvar::engine
