#include "engine/thermo/temperature_units.hpp"

#include "kolvar/format.hpp"

#include <cmath>

namespace kolvar::engine {
namespace {

// Below this share of the critical temperature no compound of the database
// is a liquid; with the melting points it catches the compounds without one.
constexpr double lowest_reduced_temperature = 0.3;

std::optional<std::string> below_every_melting_point(const ThermoSystem& system, double t)
{
    const thermo::Component* highest = nullptr;
    for (const thermo::Component& component : system.components()) {
        if (!component.tm || !(t < *component.tm)) return std::nullopt;
        if (highest == nullptr || *component.tm > *highest->tm) highest = &component;
    }
    if (highest == nullptr) return std::nullopt;
    return format::text(format::significant(t, 5), " K is below ", highest->name, "'s melting point (", format::Fixed{*highest->tm, 1},
                        " K)");
}

std::optional<std::string> below_every_reduced_limit(const ThermoSystem& system, double t)
{
    std::string limits;
    for (const thermo::Component& component : system.components()) {
        const double limit = lowest_reduced_temperature * component.tc;
        if (!(t < limit)) return std::nullopt;
        limits += format::text(limits.empty() ? "" : ", ", component.name, " ", format::Fixed{limit, 1}, " K");
    }
    if (limits.empty()) return std::nullopt;
    return format::text(format::significant(t, 5), " K is below 0.3·T_c of every component (", limits, ")");
}

}  // namespace

std::optional<std::string> implausible_temperature(const ThermoSystem& system, double t)
{
    if (!std::isfinite(t) || !(t > 0.0)) return std::nullopt;
    if (auto melting = below_every_melting_point(system, t)) return melting;
    return below_every_reduced_limit(system, t);
}

}  // namespace kolvar::engine
