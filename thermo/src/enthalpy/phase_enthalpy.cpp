// The enthalpy of a phase from the temperature derivative of its fugacity.
#include "thermo/enthalpy.hpp"

#include "constants.hpp"
#include "flash/model_checks.hpp"
#include "kolvar/format.hpp"
#include "numerics/dual.hpp"
#include "thermo/phase_fugacity.hpp"

#include <cmath>

namespace kolvar::thermo {
namespace {

using format::text;

// The checks that need no composition: the spec's models for n components.
std::expected<void, ThermoError> check_spec(const SystemSpec& spec) { return flash::check_models(spec, spec.components.size()); }

// The enthalpy of one phase of composition w with the phases' fugacities at
// (T, P), after the composition's own checks.
std::expected<double, ThermoError> enthalpy_of(BasicPhaseFugacity<Dual>& phases, const SystemSpec& spec,
                                               double temperature, double pressure, std::span<const double> w,
                                               Phase phase)
{
    const std::size_t n = spec.components.size();
    if (w.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(text("components=", n, ", composition=", w.size())));
    SmallVector<double, 8> x(n);
    if (auto ok = flash::normalised_composition(w, x); !ok) return std::unexpected(ok.error());
    for (std::size_t i = 0; i < n; ++i) {
        if (x[i] > 0.0 && spec.components[i].cp_coeffs.empty())
            return std::unexpected(ThermoError::evaluation(text("component ", format::Quoted{spec.components[i].name},
                                                                " has no ideal-gas heat capacity (cp_coeffs)")));
    }

    SmallVector<Dual, 8> ln_coefficient(n);
    if (auto ok = phases.ln_coefficients(phase, x, ln_coefficient); !ok) return std::unexpected(ok.error());

    double ideal = 0.0;
    double slope = 0.0;  // sum_i x_i d ln(f_i/(x_i P))/dT
    for (std::size_t i = 0; i < n; ++i) {
        if (x[i] == 0.0) continue;
        ideal += x[i] * ideal_gas_enthalpy(spec.components[i], temperature);
        slope += x[i] * ln_coefficient[i].dt;
    }
    const double h = ideal - constants::gas_constant * temperature * temperature * slope;
    if (!std::isfinite(h))
        return std::unexpected(
            ThermoError::evaluation(text("non-finite enthalpy at T = ", temperature, " K, P = ", pressure, " kPa")));
    return h;
}

}  // namespace

std::expected<double, ThermoError> phase_enthalpy(const SystemSpec& spec, double temperature, double pressure,
                                                  std::span<const double> w, Phase phase)
{
    const std::size_t n = spec.components.size();
    if (w.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(text("components=", n, ", composition=", w.size())));
    if (auto ok = check_spec(spec); !ok) return std::unexpected(ok.error());
    BasicPhaseFugacity<Dual> phases(spec, Dual{temperature, 1.0}, pressure);
    return enthalpy_of(phases, spec, temperature, pressure, w, phase);
}

std::expected<std::array<double, 2>, ThermoError> coexisting_enthalpies(const SystemSpec& spec, double temperature,
                                                                        double pressure, std::span<const double> x,
                                                                        std::span<const double> y)
{
    if (auto ok = check_spec(spec); !ok) return std::unexpected(ok.error());
    BasicPhaseFugacity<Dual> phases(spec, Dual{temperature, 1.0}, pressure);
    const auto liquid = enthalpy_of(phases, spec, temperature, pressure, x, Phase::Liquid);
    if (!liquid) return std::unexpected(liquid.error());
    const auto vapour = enthalpy_of(phases, spec, temperature, pressure, y, Phase::Vapor);
    if (!vapour) return std::unexpected(vapour.error());
    return std::array{*liquid, *vapour};
}

}  // namespace kolvar::thermo
