// The shortcut design: the checks, the feed's bubble point, then Fenske,
// Underwood, Gilliland and Kirkbride in turn, and the energy balance.
#include "steps.hpp"

#include "engine/column/column_top.hpp"
#include "engine/column/energy_balance.hpp"
#include "engine/energy/saturated_enthalpy.hpp"
#include "thermo/pressure_units.hpp"
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
    if (!feed) {
        // Above every critical pressure no liquid boils: most often a pressure in Pa.
        if (const auto above = above_every_critical_pressure(system, spec.pressure))
            return std::unexpected(EngineError{feed.error().kind, text("no liquid can boil at ", spec.pressure,
                                                                      " kPa, ", *above)});
        return std::unexpected(std::move(feed.error()));
    }
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
    const auto top_states = column_top(system, spec.pressure, out.distillate, CondenserKind::Total, interrupt);
    if (!top_states) return std::unexpected(top_states.error());
    const auto bottoms_liquid = bubble_enthalpy(system, spec.pressure, out.bottoms, interrupt);
    if (!bottoms_liquid) return std::unexpected(bottoms_liquid.error());
    const auto h_feed = feed_enthalpy(system, spec.pressure, z, spec.q, interrupt);
    if (!h_feed) return std::unexpected(h_feed.error());
    const Overhead overhead =
        overhead_streams(*top_states, out.reflux, out.distillate_rate, top_states->overhead_enthalpy);
    const Stream feed_stream{spec.feed_rate, *h_feed};
    const auto duties = column_duties(overhead, {out.bottoms_rate, bottoms_liquid->enthalpy}, {&feed_stream, 1});
    if (!duties) return std::unexpected(duties.error());
    out.condenser_duty = duties->condenser;
    out.reboiler_duty = duties->reboiler;
    return out;
}

}  // namespace kolvar::engine
