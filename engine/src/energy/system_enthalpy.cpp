// The enthalpy a ThermoSystem answers, and those of saturated phases.
#include "engine/energy/saturated_enthalpy.hpp"

#include "thermo/enthalpy.hpp"

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

Result<SaturatedEnthalpy> saturated(Result<BubblePoint> point, const ThermoSystem& system, double p,
                                    std::span<const double> composition, thermo::Phase phase)
{
    if (!point) return std::unexpected(std::move(point.error()));
    auto h = system.enthalpy(point->value, p, composition, phase);
    if (!h) return std::unexpected(std::move(h.error()));
    return SaturatedEnthalpy{point->value, *h, std::move(point->y)};
}

}  // namespace

Result<SaturatedEnthalpy> bubble_enthalpy(const ThermoSystem& system, double p, std::span<const double> x)
{
    return saturated(system.bubble_temperature(p, x), system, p, x, thermo::Phase::Liquid);
}

Result<SaturatedEnthalpy> dew_enthalpy(const ThermoSystem& system, double p, std::span<const double> y)
{
    return saturated(system.dew_temperature(p, y), system, p, y, thermo::Phase::Vapor);
}

}  // namespace kolvar::engine
