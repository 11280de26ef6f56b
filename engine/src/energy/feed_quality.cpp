// The thermal condition of a feed from its temperature and pressure.
#include "engine/energy/feed_condition.hpp"
#include "engine/energy/saturated_enthalpy.hpp"

#include "kolvar/format.hpp"
#include "thermo/input_checks.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

namespace kolvar::engine {
namespace {

using format::text;

// (1 - beta) h_L(x) + beta H_V(y) of the flash of z at (t, p).
Result<double> two_phase_enthalpy(const ThermoSystem& system, double t, double p, std::span<const double> z)
{
    const auto split = system.flash(t, p, z);
    if (!split) return std::unexpected(split.error());
    const double beta = split->vapour_fraction;
    double h = 0.0;
    if (beta < 1.0) {
        const auto liquid = system.enthalpy(t, p, split->x, thermo::Phase::Liquid);
        if (!liquid) return liquid;
        h += (1.0 - beta) * *liquid;
    }
    if (beta > 0.0) {
        const auto vapour = system.enthalpy(t, p, split->y, thermo::Phase::Vapor);
        if (!vapour) return vapour;
        h += beta * *vapour;
    }
    return h;
}

}  // namespace

Result<double> ThermoSystem::feed_quality(double t, double p, std::span<const double> z) const
{
    if (auto ok = check_state(t, p, z); !ok) return std::unexpected(std::move(ok.error()));
    if (auto ok = normalised_feed(z); !ok) return std::unexpected(std::move(ok.error()));

    const auto bubble = bubble_enthalpy(*this, p, z);
    if (!bubble) return std::unexpected(bubble.error());
    const auto dew = dew_enthalpy(*this, p, z);
    if (!dew) return std::unexpected(dew.error());
    const double h_liquid = bubble->enthalpy;
    const double h_vapour = dew->enthalpy;

    // At the saturation temperatures the saturated enthalpies themselves, so
    // that q is exactly 1 at the bubble point and 0 at the dew point.
    const Result<double> feed = t == bubble->temperature ? Result<double>(h_liquid)
                                : t == dew->temperature  ? Result<double>(h_vapour)
                                : t < bubble->temperature ? enthalpy(t, p, z, thermo::Phase::Liquid)
                                : t > dew->temperature    ? enthalpy(t, p, z, thermo::Phase::Vapor)
                                                          : two_phase_enthalpy(*this, t, p, z);
    if (!feed) return feed;
    const double q = (h_vapour - *feed) / (h_vapour - h_liquid);
    if (!std::isfinite(q))
        return thermo_failed(text("no feed quality at P = ", p, " kPa: the saturated liquid and vapour enthalpies are ",
                                  h_liquid, " and ", h_vapour, " J/mol"));
    return q;
}

Result<Feed> feed_from_conditions(const ThermoSystem& system, double rate, double z, double t, double p)
{
    const std::size_t n = system.components().size();
    if (n != 2)
        return invalid_input(text("a feed from its conditions needs a binary system, got ",
                                  static_cast<std::uint64_t>(n), " components"));
    if (!(std::isfinite(rate) && rate > 0.0))
        return invalid_input(text("feed rate must be positive and finite, got ", rate, " kmol/h"));
    if (!(z >= 0.0 && z <= 1.0)) return invalid_input(text("z_F must be a mole fraction in [0, 1], got ", z));
    const std::array<double, 2> composition{z, 1.0 - z};
    auto q = system.feed_quality(t, p, composition);
    if (!q) return std::unexpected(std::move(q.error()));
    return Feed{rate, z, *q};
}

}  // namespace kolvar::engine
