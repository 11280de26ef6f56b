// The fugacity of each model's vapour and liquid, with the parts that depend
// on T and P alone computed once.
#include "thermo/phase_fugacity.hpp"

#include "flash/liquid_reference.hpp"
#include "flash/model_checks.hpp"
#include "flash/virial.hpp"
#include "mixture/rule_table.hpp"
#include "mixture/rules.hpp"
#include "kolvar/format.hpp"
#include "numerics/dual.hpp"
#include "thermo/activity.hpp"

#include <variant>

namespace kolvar::thermo {

template <class Real>
BasicPhaseFugacity<Real>::BasicPhaseFugacity(const SystemSpec& spec, Real temperature,
                                             std::type_identity_t<StateScalar<Real>> pressure)
    : spec_(spec), mixture_(spec.mixture()), temperature_(temperature), pressure_(pressure)
{
    switch (spec.vapor.kind) {
    case VaporModel::Kind::Eos: vapour_ = Writer::EquationOfState; break;
    case VaporModel::Kind::Virial: vapour_ = Writer::Virial; break;
    case VaporModel::Kind::IdealGas: vapour_ = Writer::IdealGas; break;
    }
    struct Liquid {
        Writer operator()(const liquid::PhiPhi&) const { return Writer::EquationOfState; }
        Writer operator()(const liquid::GammaPhi&) const { return Writer::ActivityModel; }
        Writer operator()(const liquid::IdealSolution&) const { return Writer::IdealSolution; }
        Writer operator()(const liquid::GraysonStreed&) const { return Writer::GraysonStreed; }
    };
    liquid_ = std::visit(Liquid{}, spec.liquid);
    const auto* phi_phi = std::get_if<liquid::PhiPhi>(&spec.liquid);
    shared_ = phi_phi && vapour_ == Writer::EquationOfState && spec.vapor.eos == phi_phi->eos;
}

template <class Real>
void BasicPhaseFugacity<Real>::prepare(bool vapour)
{
    const Eos eos = vapour ? spec_.vapor.eos : std::get_if<liquid::PhiPhi>(&spec_.liquid)->eos;
    const std::size_t n = spec_.components.size();
    const bool classical = rule_data::row(mixture_.rule).stage == rule_data::AbStage::Classical &&
                           mixture_.kij.empty() && !is_three_parameter(eos) && check_mixture(mixture_, eos, n);
    if (classical) {
        mixed_.a_bar.resize_for_overwrite(n);
        mixed_.b_bar.resize_for_overwrite(n);
        mixed_.u_bar.resize_for_overwrite(n);
        mixed_.w_bar.resize_for_overwrite(n);
    }
    if (vapour) {
        component_parameters(spec_.components, eos, temperature_, pressure_, vapour_parameters_);
        vapour_classical_ = classical;
        vapour_ready_ = true;
    }
    else {
        component_parameters(spec_.components, eos, temperature_, pressure_, liquid_parameters_);
        liquid_classical_ = classical;
        liquid_ready_ = true;
    }
}

template <class Real>
std::expected<void, ThermoError> BasicPhaseFugacity<Real>::eos_term(Phase phase, std::span<const StateScalar<Real>> w,
                                                                    std::span<Real> out, double* compressibility)
{
    const BasicComponentParameters<Real>& components = parameters(phase);
    const bool classical = phase == Phase::Vapor || shared_ ? vapour_classical_ : liquid_classical_;
    std::expected<void, EosError> ok;
    if (classical && w.size() == spec_.components.size() && out.size() == w.size()) {
        rules::classical_two_parameter(components, w, mixed_);
        ok = rules::ln_phi_of_mixture(mixed_, components.eos, phase, out, compressibility);
    }
    else {
        ok = mixture_ln_phi(mixture_, components, w, phase, out, compressibility);
    }
    if (!ok) return std::unexpected(ThermoError::evaluation(ok.error().text()));
    return {};
}

template <class Real>
std::expected<void, ThermoError> BasicPhaseFugacity<Real>::references()
{
    if (references_ready_) return {};
    const std::size_t n = spec_.components.size();
    reference_.resize(n);
    const bool grayson_streed = liquid_ == Writer::GraysonStreed;
    for (std::size_t i = 0; i < n; ++i) {
        if (grayson_streed) {
            reference_[i] = flash::grayson_streed_ln_nu(spec_.components[i], temperature_, pressure_);
            continue;
        }
        const auto f = flash::pure_liquid_fugacity(spec_, i, temperature_, pressure_);
        if (!f) return std::unexpected(f.error());
        reference_[i] = *f;
    }
    references_ready_ = true;
    return {};
}

template <class Real>
std::expected<void, ThermoError> BasicPhaseFugacity<Real>::model_term(Phase phase, std::span<const StateScalar<Real>> w,
                                                                      std::span<Real> out)
{
    const std::size_t n = w.size();
    switch (writer(phase)) {
    case Writer::Virial:
        if (virial_.empty()) flash::second_virial_matrix(spec_.components, temperature_, virial_);
        flash::virial_ln_phi<Real>(virial_, w, temperature_, pressure_, out);
        return {};
    case Writer::ActivityModel:
        ln_gamma(std::get_if<liquid::GammaPhi>(&spec_.liquid)->model, temperature_, w, spec_.activity, out);
        return {};
    case Writer::GraysonStreed:
        if (auto ok = references(); !ok) return ok;
        for (std::size_t i = 0; i < n; ++i) out[i] = reference_[i];
        return {};
    case Writer::EquationOfState:  // term() takes these
    case Writer::IdealGas:
    case Writer::IdealSolution: break;
    }
    for (std::size_t i = 0; i < n; ++i) out[i] = 0.0;
    return {};
}

template <class Real>
std::expected<std::span<const Real>, ThermoError> BasicPhaseFugacity<Real>::standard_fugacities()
{
    if (form(Phase::Liquid) != FugacityForm::Activity) return std::span<const Real>{};
    if (auto ok = references(); !ok) return std::unexpected(std::move(ok.error()));
    return std::span<const Real>(reference_);
}

template <class Real>
std::expected<void, ThermoError> BasicPhaseFugacity<Real>::ln_coefficients(Phase phase,
                                                                           std::span<const StateScalar<Real>> w,
                                                                           std::span<Real> out,
                                                                           double* compressibility)
{
    if (form(phase) == FugacityForm::Activity) {
        // References first: a failing saturation correlation is the first failure, as in the K-values.
        if (auto ok = references(); !ok) return ok;
    }
    if (auto ok = term(phase, w, out, compressibility); !ok) return ok;
    if (form(phase) == FugacityForm::Activity)
        for (std::size_t i = 0; i < w.size(); ++i) out[i] += log(reference_[i] / pressure_);
    return {};
}

template class BasicPhaseFugacity<double>;
template class BasicPhaseFugacity<Dual>;
template class BasicPhaseFugacity<Tangent>;
#define KOLVAR_INSTANTIATE(R) \
    template class BasicPhaseFugacity<R>;
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

std::expected<void, ThermoError> phase_fugacity(const SystemSpec& spec, double temperature, double pressure,
                                                std::span<const double> w, Phase phase,
                                                std::span<double> ln_coefficient, std::span<double> temperature_slope)
{
    using format::text;
    const std::size_t n = spec.components.size();
    if (w.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(text("components=", n, ", composition=", w.size())));
    if (auto ok = flash::check_models(spec, n); !ok) return ok;
    for (const std::size_t size : {ln_coefficient.size(), temperature_slope.empty() ? n : temperature_slope.size()})
        if (size != n) return std::unexpected(ThermoError::dimension_mismatch(text("components=", n, ", output=", size)));

    if (temperature_slope.empty()) {
        PhaseFugacity phases(spec, temperature, pressure);
        if (auto ok = phases.ln_coefficients(phase, w, ln_coefficient); !ok) return ok;
    }
    else {
        BasicPhaseFugacity<Dual> phases(spec, Dual{temperature, 1.0}, pressure);
        SmallVector<Dual, 8> out(n);
        if (auto ok = phases.ln_coefficients(phase, w, out); !ok) return ok;
        for (std::size_t i = 0; i < n; ++i) {
            ln_coefficient[i] = out[i].value;
            temperature_slope[i] = out[i].dt;
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        const bool finite = std::isfinite(ln_coefficient[i]) &&
                            (temperature_slope.empty() || std::isfinite(temperature_slope[i]));
        if (!finite)
            return std::unexpected(ThermoError::evaluation(
                text("non-finite fugacity at T = ", temperature, " K, P = ", pressure, " kPa")));
    }
    return {};
}

}  // namespace kolvar::thermo
