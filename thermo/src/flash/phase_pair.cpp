#include "flash/phase_pair.hpp"

#include "flash/evaluation_count.hpp"
#include "flash/liquid_reference.hpp"
#include "flash/virial.hpp"

#include <cmath>
#include <variant>

namespace kolvar::thermo::flash {
namespace {

constexpr double trivial_tolerance = 1e-8;  // |ln K_i| and relative Z difference of a trivial pass

}  // namespace

PhasePair::PhasePair(const SystemSpec& spec, double temperature, double pressure, Fixed fixed)
    : spec_(spec),
      mixture_(spec.mixture()),
      temperature_(temperature),
      pressure_(pressure),
      n_(spec.components.size()),
      vapour_given_(fixed == Fixed::Vapour),
      liquid_given_(fixed == Fixed::Liquid),
      ln_phi_vapour_(n_, 0.0),
      liquid_(n_, 0.0)
{
    if (spec.vapor.kind == VaporModel::Kind::Eos) {
        component_parameters(spec.components, spec.vapor.eos, temperature, pressure, vapour_parameters_);
    }
    else if (spec.vapor.kind == VaporModel::Kind::Virial) {
        second_virial_matrix(spec.components, temperature, virial_);
    }
    if (const auto* phi_phi = std::get_if<liquid::PhiPhi>(&spec.liquid)) {
        shared_parameters_ = spec.vapor.kind == VaporModel::Kind::Eos && spec.vapor.eos == phi_phi->eos;
        if (!shared_parameters_)
            component_parameters(spec.components, phi_phi->eos, temperature, pressure, liquid_parameters_);
    }
}

std::expected<void, ThermoError> PhasePair::vapour(std::span<const double> y)
{
    if (vapour_given_ && vapour_done_) return {};
    switch (spec_.vapor.kind) {
    case VaporModel::Kind::IdealGas: break;  // ln phi stays 0
    case VaporModel::Kind::Virial: virial_ln_phi(virial_, y, temperature_, pressure_, ln_phi_vapour_); break;
    case VaporModel::Kind::Eos:
        count_fugacity_evaluation();
        if (auto ok = mixture_ln_phi(mixture_, vapour_parameters_, y, Phase::Vapor, ln_phi_vapour_, &z_vapour_); !ok)
            return std::unexpected(ThermoError::evaluation(ok.error().text()));
        break;
    }
    vapour_done_ = true;
    return {};
}

std::expected<void, ThermoError> PhasePair::update_k(std::span<const double> x, std::span<double> k)
{
    return std::visit([&](const auto& liquid) { return update_k(liquid, x, k); }, spec_.liquid);
}

bool PhasePair::trivial() const
{
    if (!std::holds_alternative<liquid::PhiPhi>(spec_.liquid) || spec_.vapor.kind != VaporModel::Kind::Eos)
        return false;
    for (std::size_t i = 0; i < n_; ++i)
        if (!(std::abs(liquid_[i] - ln_phi_vapour_[i]) < trivial_tolerance)) return false;
    const double scale = std::fmax(std::abs(z_liquid_), std::abs(z_vapour_));
    return std::abs(z_liquid_ - z_vapour_) <= trivial_tolerance * scale;
}

std::expected<void, ThermoError> PhasePair::update_k(const liquid::PhiPhi&, std::span<const double> x,
                                                     std::span<double> k)
{
    if (auto ok = liquid_ln_phi(x); !ok) return ok;
    for (std::size_t i = 0; i < n_; ++i) k[i] = std::exp(liquid_[i] - ln_phi_vapour_[i]);
    return {};
}

std::expected<void, ThermoError> PhasePair::update_k(const liquid::GammaPhi& gamma_phi, std::span<const double> x,
                                                     std::span<double> k)
{
    if (auto ok = references(); !ok) return ok;
    if (!(liquid_given_ && liquid_done_)) {
        ln_gamma(gamma_phi.model, temperature_, x, spec_.activity_inputs(), liquid_);
        liquid_done_ = true;
    }
    gamma_phi_k(k);
    return {};
}

std::expected<void, ThermoError> PhasePair::update_k(const liquid::IdealSolution&, std::span<const double>,
                                                     std::span<double> k)
{
    if (auto ok = references(); !ok) return ok;
    gamma_phi_k(k);  // liquid_ stays 0: gamma = 1
    return {};
}

std::expected<void, ThermoError> PhasePair::update_k(const liquid::GraysonStreed&, std::span<const double>,
                                                     std::span<double> k)
{
    if (auto ok = references(); !ok) return ok;
    for (std::size_t i = 0; i < n_; ++i) k[i] = std::exp(reference_[i] - ln_phi_vapour_[i]);
    return {};
}

void PhasePair::gamma_phi_k(std::span<double> k) const
{
    for (std::size_t i = 0; i < n_; ++i)
        k[i] = reference_[i] * std::exp(liquid_[i]) / (std::exp(ln_phi_vapour_[i]) * pressure_);
}

std::expected<void, ThermoError> PhasePair::liquid_ln_phi(std::span<const double> x)
{
    if (liquid_given_ && liquid_done_) return {};
    const ComponentParameters& parameters = shared_parameters_ ? vapour_parameters_ : liquid_parameters_;
    count_fugacity_evaluation();
    if (auto ok = mixture_ln_phi(mixture_, parameters, x, Phase::Liquid, liquid_, &z_liquid_); !ok)
        return std::unexpected(ThermoError::evaluation(ok.error().text()));
    liquid_done_ = true;
    return {};
}

std::expected<void, ThermoError> PhasePair::references()
{
    if (references_done_) return {};
    reference_.resize(n_);
    for (std::size_t i = 0; i < n_; ++i) {
        if (std::holds_alternative<liquid::GraysonStreed>(spec_.liquid)) {
            reference_[i] = grayson_streed_ln_nu(spec_.components[i], temperature_, pressure_);
            continue;
        }
        const auto f = pure_liquid_fugacity(spec_, i, temperature_, pressure_);
        if (!f) return std::unexpected(f.error());
        reference_[i] = *f;
    }
    references_done_ = true;
    return {};
}

}  // namespace kolvar::thermo::flash
