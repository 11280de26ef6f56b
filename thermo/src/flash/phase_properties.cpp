#include "thermo/phase_properties.hpp"

#include "flash/model_checks.hpp"
#include "flash/pressure_solver.hpp"
#include "kolvar/format.hpp"
#include "thermo/phase_fugacity.hpp"
#include "thermo/saturation.hpp"

#include <cmath>
#include <variant>

namespace kolvar::thermo {

std::expected<std::vector<double>, ThermoError> phase_ln_phi(const SystemSpec& spec, double temperature,
                                                             double pressure, std::span<const double> composition,
                                                             Phase phase)
{
    const std::size_t n = spec.components.size();
    if (composition.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(
            format::text("components=", n, ", composition=", composition.size())));
    if (auto ok = flash::check_models(spec, n); !ok) return std::unexpected(ok.error());

    if (phase == Phase::Liquid && !std::holds_alternative<liquid::PhiPhi>(spec.liquid))
        return std::unexpected(ThermoError::unsupported("the liquid is not described by an equation of state"));
    std::vector<double> out(n, 0.0);
    PhaseFugacity phases(spec, temperature, pressure);
    if (auto ok = phases.term(phase, composition, out); !ok) return std::unexpected(std::move(ok.error()));
    for (double v : out)
        if (!std::isfinite(v))
            return std::unexpected(ThermoError::evaluation(
                format::text("non-finite ln phi at T = ", temperature, " K, P = ", pressure, " kPa")));
    return out;
}

std::expected<std::vector<double>, ThermoError> saturation_pressures(const SystemSpec& spec, double temperature)
{
    std::vector<double> out;
    out.reserve(spec.components.size());
    for (std::size_t i = 0; i < spec.components.size(); ++i) {
        const Component& component = spec.components[i];
        const SaturationModel model =
            i < spec.saturation_models.size() ? spec.saturation_models[i] : component.saturation_model;
        const auto psat = saturation_pressure(model, component, temperature);
        if (!psat) return std::unexpected(ThermoError::evaluation(psat.error().text()));
        if (!std::isfinite(*psat))
            return std::unexpected(ThermoError::evaluation(format::text(
                "non-finite saturation pressure of component ", format::Quoted{component.name}, " at T = ",
                temperature, " K")));
        out.push_back(*psat);
    }
    return out;
}

std::expected<EquilibriumRatios, ThermoError> equilibrium_ratios(const SystemSpec& spec, double temperature,
                                                                 double pressure, std::span<const double> x,
                                                                 unsigned max_passes)
{
    const std::size_t n = spec.components.size();
    SmallVector<double, 8> k(n);
    for (std::size_t i = 0; i < n && i < x.size(); ++i) k[i] = wilson_k(spec.components[i], temperature, pressure);
    auto evaluated = evaluate_k(spec, temperature, pressure, x, Direction::Bubble, k, max_passes);
    if (!evaluated) return std::unexpected(std::move(evaluated.error()));
    if (!evaluated->converged)
        return std::unexpected(ThermoError::no_convergence("K-values", max_passes, evaluated->change));
    if (evaluated->trivial)
        return std::unexpected(ThermoError::evaluation(format::text("trivial solution at T = ", temperature, " K, P = ",
                                                                    pressure,
                                                                    " kPa: liquid and vapour on the same root (K = 1)")));
    const auto& y = evaluated->incipient;
    if (auto error = flash::non_finite_result(k, y, temperature, pressure)) return std::unexpected(std::move(*error));
    return EquilibriumRatios{std::vector<double>(k.begin(), k.end()), std::vector<double>(y.begin(), y.end())};
}

}  // namespace kolvar::thermo
