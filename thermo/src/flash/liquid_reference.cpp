#include "flash/liquid_reference.hpp"

#include "constants.hpp"
#include "flash/virial.hpp"
#include "kolvar/format.hpp"
#include "numerics/dual.hpp"
#include "thermo/saturation.hpp"

#include <cmath>
#include <optional>

namespace kolvar::thermo::flash {
namespace {

template <class Real>
Real saturated_vapour_phi(const SystemSpec& spec, const Component& component, Real temperature, Real psat)
{
    switch (spec.vapor.kind) {
    case VaporModel::Kind::IdealGas: return 1.0;
    case VaporModel::Kind::Virial:
        return exp(second_virial(component, temperature) * psat / (constants::gas_constant_kpa_cm3 * temperature));
    case VaporModel::Kind::Eos: return exp(pure_ln_phi_vapor(spec.vapor.eos, component, temperature, psat));
    }
    return 1.0;
}

}  // namespace

template <class Real>
std::expected<Real, ThermoError> pure_liquid_fugacity(const SystemSpec& spec, std::size_t i, Real temperature,
                                                      std::type_identity_t<StateScalar<Real>> pressure)
{
    const Component& component = spec.components[i];
    const SaturationModel model =
        i < spec.saturation_models.size() ? spec.saturation_models[i] : component.saturation_model;
    const auto psat = saturation_pressure(model, component, temperature);
    if (!psat) return std::unexpected(ThermoError::evaluation(psat.error().text()));

    const Real phi_sat = saturated_vapour_phi(spec, component, temperature, *psat);
    Real poynting = 1.0;
    if (spec.poynting) {
        std::optional<double> volume = component.liquid_volume;
        if (!volume && spec.activity.molar_volumes.size() == spec.components.size()) volume = spec.activity.molar_volumes[i];
        if (!volume)
            return std::unexpected(ThermoError::evaluation(
                format::text("component ", format::Quoted{component.name}, " has no liquid volume for the Poynting factor")));
        poynting = exp((pressure - *psat) * *volume * 0.001 / (constants::gas_constant * temperature));
    }
    return poynting * phi_sat * *psat;
}

template <class Real>
Real grayson_streed_ln_nu(const Component& component, Real temperature,
                          std::type_identity_t<StateScalar<Real>> pressure)
{
    const Real tr = temperature / component.tc;
    const StateScalar<Real> pr = pressure / component.pc;
    const Real tr2 = tr * tr;
    const Real tr3 = tr * tr * tr;
    const Real log_nu0 = 2.05135 - 2.10899 / tr - 0.19396 * tr2 + 0.02282 * tr3 + (0.08852 - 0.00872 * tr2) * pr +
                         (-0.00353 + 0.00203 * tr) * (pr * pr) - log10(pr);
    const Real log_nu1 = -4.23893 + 8.65808 * tr - 1.2206 / tr - 3.15224 * tr3 - 0.025 * (pr - 0.6);
    return constants::ln_10 * (log_nu0 + component.omega * log_nu1);
}

template std::expected<double, ThermoError> pure_liquid_fugacity(const SystemSpec&, std::size_t, double, double);
template std::expected<Dual, ThermoError> pure_liquid_fugacity(const SystemSpec&, std::size_t, Dual, double);
template double grayson_streed_ln_nu(const Component&, double, double);
template Dual grayson_streed_ln_nu(const Component&, Dual, double);
template std::expected<Tangent, ThermoError> pure_liquid_fugacity(const SystemSpec&, std::size_t, Tangent, Tangent);
template Tangent grayson_streed_ln_nu(const Component&, Tangent, Tangent);
#define KOLVAR_INSTANTIATE(R) \
    template std::expected<R, ThermoError> pure_liquid_fugacity(const SystemSpec&, std::size_t, R, R); \
    template R grayson_streed_ln_nu(const Component&, R, R);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo::flash
