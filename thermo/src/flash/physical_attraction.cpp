#include "flash/physical_attraction.hpp"

#include "kolvar/format.hpp"
#include "numerics/dual.hpp"
#include "thermo/eos.hpp"

#include <cmath>
#include <variant>

namespace kolvar::thermo::flash {
namespace {

std::expected<void, ThermoError> check(Eos eos, std::span<const Component> components, double temperature)
{
    for (const Component& c : components) {
        const Dual a = alpha<Dual>(eos, Dual(temperature / c.tc, 1.0 / c.tc), c);
        if (a.value > 0.0 && std::isfinite(a.value) && a.dt <= 0.0) continue;
        return std::unexpected(ThermoError::evaluation(
            format::text("the attraction parameter of ", c.name, " in ", name(eos), " is not physical at T = ",
                         temperature, " K (alpha = ", a.value, ", d alpha/dT = ", a.dt, ")")));
    }
    return {};
}

}  // namespace

std::expected<void, ThermoError> physical_attraction(const SystemSpec& spec, double temperature)
{
    if (spec.vapor.kind == VaporModel::Kind::Eos) {
        if (auto ok = check(spec.vapor.eos, spec.components, temperature); !ok) return ok;
    }
    if (const auto* phi_phi = std::get_if<liquid::PhiPhi>(&spec.liquid)) {
        if (spec.vapor.kind != VaporModel::Kind::Eos || phi_phi->eos != spec.vapor.eos)
            return check(phi_phi->eos, spec.components, temperature);
    }
    return {};
}

}  // namespace kolvar::thermo::flash
