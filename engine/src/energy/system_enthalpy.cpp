// The enthalpy a ThermoSystem answers, and those of saturated phases.
#include "engine/energy/saturated_enthalpy.hpp"

#include "kolvar/format.hpp"
#include "thermo/enthalpy.hpp"
#include "thermo/pressure_units.hpp"

#include <string>
#include <utility>

namespace kolvar::engine {

Result<double> ThermoSystem::enthalpy(double t, double p, std::span<const double> composition,
                                      thermo::Phase phase) const
{
    if (auto ok = check_state(t, p, composition); !ok) return std::unexpected(std::move(ok.error()));
    auto h = thermo::phase_enthalpy(spec(), t, p, composition, phase);
    if (!h) return thermo_failed(h.error().text());
    return *h;
}

namespace {

// "[0.44, 0.56]".
std::string composition_text(std::span<const double> composition)
{
    std::string out = "[";
    for (std::size_t i = 0; i < composition.size(); ++i) {
        if (i > 0) out += ", ";
        format::append_number(out, composition[i]);
    }
    return out + "]";
}

Result<SaturatedEnthalpy> saturated(Result<BubblePoint> point, const ThermoSystem& system, double p,
                                    std::span<const double> composition, thermo::Phase phase)
{
    if (!point) {
        // The solver's own text says how it failed, not what that means for
        // the caller: at this pressure the phase has no saturation point.
        if (point.error().kind != ErrorKind::ThermoFailed) return std::unexpected(std::move(point.error()));
        const bool liquid = phase == thermo::Phase::Liquid;
        const std::string what = format::text("no ", liquid ? "bubble point of the liquid " : "dew point of the vapour ",
                                              composition_text(composition), " at ", p, " kPa");
        if (const auto above = above_every_critical_pressure(system, p))
            return thermo_failed(format::text(what, ", ", *above));
        return thermo_failed(
            format::text(what, " (is the pressure above its critical pressure?): ", point.error().message));
    }
    auto h = system.enthalpy(point->value, p, composition, phase);
    if (!h) return std::unexpected(std::move(h.error()));
    return SaturatedEnthalpy{point->value, *h, std::move(point->y)};
}

}  // namespace

Result<SaturatedEnthalpy> bubble_enthalpy(const ThermoSystem& system, double p, std::span<const double> x,
                                          Interrupt interrupt)
{
    return saturated(system.bubble_temperature(p, x, interrupt), system, p, x, thermo::Phase::Liquid);
}

Result<SaturatedEnthalpy> dew_enthalpy(const ThermoSystem& system, double p, std::span<const double> y,
                                       Interrupt interrupt)
{
    return saturated(system.dew_temperature(p, y, interrupt), system, p, y, thermo::Phase::Vapor);
}

Result<double> feed_enthalpy(const ThermoSystem& system, double p, std::span<const double> z, double q,
                             Interrupt interrupt)
{
    double h = 0.0;
    if (q != 0.0) {
        const auto liquid = bubble_enthalpy(system, p, z, interrupt);
        if (!liquid) return std::unexpected(liquid.error());
        h += q * liquid->enthalpy;
    }
    if (q != 1.0) {
        const auto vapour = dew_enthalpy(system, p, z, interrupt);
        if (!vapour) return std::unexpected(vapour.error());
        h += (1.0 - q) * vapour->enthalpy;
    }
    return h;
}

}  // namespace kolvar::engine
