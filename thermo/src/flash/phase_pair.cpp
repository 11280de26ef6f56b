#include "flash/phase_pair.hpp"

#include "flash/evaluation_count.hpp"

#include <cmath>
#include <variant>

namespace kolvar::thermo::flash {
namespace {

constexpr double trivial_tolerance = 1e-8;  // |ln K_i| and relative Z difference of a trivial pass

}  // namespace

PhasePair::PhasePair(const SystemSpec& spec, double temperature, double pressure, Fixed fixed)
    : spec_(spec),
      pressure_(pressure),
      n_(spec.components.size()),
      vapour_given_(fixed == Fixed::Vapour),
      liquid_given_(fixed == Fixed::Liquid),
      phases_(spec, temperature, pressure),
      activity_form_(phases_.form(Phase::Liquid) == FugacityForm::Activity),
      ln_phi_vapour_(n_, 0.0),
      liquid_(n_, 0.0)
{
}

std::expected<void, ThermoError> PhasePair::vapour(std::span<const double> y)
{
    if (vapour_given_ && vapour_done_) return {};
    if (spec_.vapor.kind == VaporModel::Kind::Eos) count_fugacity_evaluation();
    if (auto ok = phases_.term(Phase::Vapor, y, ln_phi_vapour_, &z_vapour_); !ok) return ok;
    vapour_done_ = true;
    return {};
}

// K_i = f0_i gamma_i / (phi_i^V P) for a liquid of the activity form, else
// exp(ln phi_i^L - ln phi_i^V).
std::expected<void, ThermoError> PhasePair::update_k(std::span<const double> x, std::span<double> k)
{
    if (activity_form_) {
        const auto reference = phases_.standard_fugacities();
        if (!reference) return std::unexpected(reference.error());
        if (auto ok = liquid_term(x); !ok) return ok;
        for (std::size_t i = 0; i < n_; ++i)
            k[i] = (*reference)[i] * std::exp(liquid_[i]) / (std::exp(ln_phi_vapour_[i]) * pressure_);
        return {};
    }
    if (auto ok = liquid_term(x); !ok) return ok;
    for (std::size_t i = 0; i < n_; ++i) k[i] = std::exp(liquid_[i] - ln_phi_vapour_[i]);
    return {};
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

std::expected<void, ThermoError> PhasePair::liquid_term(std::span<const double> x)
{
    if (liquid_given_ && liquid_done_) return {};
    if (std::holds_alternative<liquid::PhiPhi>(spec_.liquid)) count_fugacity_evaluation();
    if (auto ok = phases_.term(Phase::Liquid, x, liquid_, &z_liquid_); !ok) return ok;
    liquid_done_ = true;
    return {};
}

}  // namespace kolvar::thermo::flash
