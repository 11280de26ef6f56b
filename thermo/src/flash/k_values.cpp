// K-values by successive substitution at fixed temperature and pressure.
//
// Everything that depends on T and P alone is computed once per call: the
// per-component equation-of-state parameters of each phase, the virial
// coefficients, the pure-liquid references. A phase whose composition is given
// (the liquid of a bubble point, the vapour of a dew point) has fixed fugacity
// coefficients and is evaluated on the first pass only. No heap allocation for
// up to 8 components.
#include "thermo/flash.hpp"

#include "flash/evaluation_count.hpp"
#include "flash/liquid_reference.hpp"
#include "flash/model_checks.hpp"
#include "flash/virial.hpp"
#include "thermo/mixture.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <variant>

namespace kolvar::thermo {
namespace {

using List = SmallVector<double, 8>;

constexpr double change_tolerance = 1e-10;  // largest |ln(K_new/K_old)| of a converged pass
constexpr double trivial_tolerance = 1e-8;  // |ln K_i| and relative Z difference of a trivial pass
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

MixtureSpec mixture_of(const SystemSpec& spec)
{
    return {.components = spec.components,
            .kij = spec.kij,
            .rule = spec.mixing_rule,
            .ge = spec.ge,
            .activity = spec.activity_inputs()};
}

// Step 1 of a pass: w_i = K_i x_i (bubble) or y_i/K_i (dew), written
// normalised into `incipient`; returns S = sum w_i.
double incipient_phase(std::span<const double> known, std::span<const double> k, Direction direction,
                       List& incipient)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < known.size(); ++i) {
        incipient[i] = direction == Direction::Bubble ? k[i] * known[i] : known[i] / k[i];
        sum += incipient[i];
    }
    for (double& w : incipient) w /= sum;
    return sum;
}

// The two halves of a pass at one (T, P): ln phi of the vapour, then the new K
// from the liquid.
class PassEvaluator {
public:
    PassEvaluator(const SystemSpec& spec, double temperature, double pressure, Direction direction)
        : spec_(spec),
          mixture_(mixture_of(spec)),
          temperature_(temperature),
          pressure_(pressure),
          n_(spec.components.size()),
          vapour_given_(direction == Direction::Dew),
          liquid_given_(direction == Direction::Bubble),
          ln_phi_vapour_(n_, 0.0),
          liquid_(n_, 0.0)
    {
        if (spec.vapor.kind == VaporModel::Kind::Eos) {
            component_parameters(spec.components, spec.vapor.eos, temperature, pressure, vapour_parameters_);
        }
        else if (spec.vapor.kind == VaporModel::Kind::Virial) {
            flash::second_virial_matrix(spec.components, temperature, virial_);
        }
        if (const auto* phi_phi = std::get_if<liquid::PhiPhi>(&spec.liquid)) {
            shared_parameters_ = spec.vapor.kind == VaporModel::Kind::Eos && spec.vapor.eos == phi_phi->eos;
            if (!shared_parameters_)
                component_parameters(spec.components, phi_phi->eos, temperature, pressure, liquid_parameters_);
        }
    }

    // Step 2: ln phi_i of the vapour y.
    std::expected<void, ThermoError> vapour(std::span<const double> y)
    {
        if (vapour_given_ && vapour_done_) return {};
        switch (spec_.vapor.kind) {
        case VaporModel::Kind::IdealGas: break;  // ln phi stays 0
        case VaporModel::Kind::Virial:
            flash::virial_ln_phi(virial_, y, temperature_, pressure_, ln_phi_vapour_);
            break;
        case VaporModel::Kind::Eos:
            flash::count_fugacity_evaluation();
            if (auto ok = mixture_ln_phi(mixture_, vapour_parameters_, y, Phase::Vapor, ln_phi_vapour_, &z_vapour_);
                !ok)
                return std::unexpected(ThermoError::evaluation(ok.error().text()));
            break;
        }
        vapour_done_ = true;
        return {};
    }

    // Step 3: the new K_i from the liquid x and the vapour's ln phi.
    std::expected<void, ThermoError> update_k(std::span<const double> x, std::span<double> k)
    {
        return std::visit([&](const auto& liquid) { return update_k(liquid, x, k); }, spec_.liquid);
    }

    // K = 1 with both phases on one root of the same cubic: every
    // |ln K_i| < 1e-8 and Z^L = Z^V to 1e-8 relative (phi-phi only).
    bool trivial() const
    {
        if (!std::holds_alternative<liquid::PhiPhi>(spec_.liquid) || spec_.vapor.kind != VaporModel::Kind::Eos)
            return false;
        for (std::size_t i = 0; i < n_; ++i)
            if (!(std::abs(liquid_[i] - ln_phi_vapour_[i]) < trivial_tolerance)) return false;
        const double scale = std::fmax(std::abs(z_liquid_), std::abs(z_vapour_));
        return std::abs(z_liquid_ - z_vapour_) <= trivial_tolerance * scale;
    }

private:
    std::expected<void, ThermoError> update_k(const liquid::PhiPhi&, std::span<const double> x, std::span<double> k)
    {
        if (auto ok = liquid_ln_phi(x); !ok) return ok;
        for (std::size_t i = 0; i < n_; ++i) k[i] = std::exp(liquid_[i] - ln_phi_vapour_[i]);
        return {};
    }

    std::expected<void, ThermoError> update_k(const liquid::GammaPhi& gamma_phi, std::span<const double> x,
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

    std::expected<void, ThermoError> update_k(const liquid::IdealSolution&, std::span<const double>,
                                              std::span<double> k)
    {
        if (auto ok = references(); !ok) return ok;
        gamma_phi_k(k);  // liquid_ stays 0: gamma = 1
        return {};
    }

    std::expected<void, ThermoError> update_k(const liquid::GraysonStreed&, std::span<const double>,
                                              std::span<double> k)
    {
        if (auto ok = references(); !ok) return ok;
        for (std::size_t i = 0; i < n_; ++i) k[i] = std::exp(reference_[i] - ln_phi_vapour_[i]);
        return {};
    }

    // K_i = reference_i gamma_i / (phi_i^V P), liquid_ holding ln gamma.
    void gamma_phi_k(std::span<double> k) const
    {
        for (std::size_t i = 0; i < n_; ++i)
            k[i] = reference_[i] * std::exp(liquid_[i]) / (std::exp(ln_phi_vapour_[i]) * pressure_);
    }

    std::expected<void, ThermoError> liquid_ln_phi(std::span<const double> x)
    {
        if (liquid_given_ && liquid_done_) return {};
        const ComponentParameters& parameters = shared_parameters_ ? vapour_parameters_ : liquid_parameters_;
        flash::count_fugacity_evaluation();
        if (auto ok = mixture_ln_phi(mixture_, parameters, x, Phase::Liquid, liquid_, &z_liquid_); !ok)
            return std::unexpected(ThermoError::evaluation(ok.error().text()));
        liquid_done_ = true;
        return {};
    }

    // The pure-liquid terms that depend on (T, P) only, computed on first use
    // so that a failing saturation correlation is reported where a pass
    // reaches it.
    std::expected<void, ThermoError> references()
    {
        if (references_done_) return {};
        reference_.resize(n_);
        for (std::size_t i = 0; i < n_; ++i) {
            if (std::holds_alternative<liquid::GraysonStreed>(spec_.liquid)) {
                reference_[i] = flash::grayson_streed_ln_nu(spec_.components[i], temperature_, pressure_);
                continue;
            }
            const auto f = flash::pure_liquid_fugacity(spec_, i, temperature_, pressure_);
            if (!f) return std::unexpected(f.error());
            reference_[i] = *f;
        }
        references_done_ = true;
        return {};
    }

    const SystemSpec& spec_;
    const MixtureSpec mixture_;
    const double temperature_;
    const double pressure_;
    const std::size_t n_;
    const bool vapour_given_;
    const bool liquid_given_;

    ComponentParameters vapour_parameters_;
    ComponentParameters liquid_parameters_;
    bool shared_parameters_ = false;
    SmallVector<double, 64> virial_;

    List ln_phi_vapour_;
    List liquid_;     // phi-phi: ln phi of the liquid; gamma-phi: ln gamma
    List reference_;  // gamma-phi: Poynting phi^sat Psat; Grayson-Streed: ln nu
    double z_vapour_ = nan;
    double z_liquid_ = nan;
    bool vapour_done_ = false;
    bool liquid_done_ = false;
    bool references_done_ = false;
};

}  // namespace

double wilson_k(const Component& component, double temperature, double pressure)
{
    return component.pc * std::exp(5.373 * (1.0 + component.omega) * (1.0 - component.tc / temperature)) / pressure;
}

std::expected<KValueResult, ThermoError> evaluate_k(const SystemSpec& spec, double temperature, double pressure,
                                                    std::span<const double> composition, Direction direction,
                                                    std::span<double> k, unsigned max_iterations)
{
    const std::size_t n = spec.components.size();
    if (auto ok = flash::check_composition(n, composition.size(), direction); !ok) return std::unexpected(ok.error());
    if (auto ok = flash::check_models(spec, k.size()); !ok) return std::unexpected(ok.error());

    PassEvaluator pass(spec, temperature, pressure, direction);
    KValueResult result;
    result.incipient.resize(n);
    List k_new(n);
    const bool bubble = direction == Direction::Bubble;

    unsigned passes = 0;
    while (passes < max_iterations) {
        ++passes;
        result.sum = incipient_phase(composition, k, direction, result.incipient);
        const std::span<const double> incipient = result.incipient;
        if (auto ok = pass.vapour(bubble ? incipient : composition); !ok) return std::unexpected(ok.error());
        if (auto ok = pass.update_k(bubble ? composition : incipient, k_new); !ok)
            return std::unexpected(ok.error());

        double change = 0.0;  // a NaN term does not raise it
        for (std::size_t i = 0; i < n; ++i) {
            const double term = std::abs(std::log(k_new[i] / k[i]));
            if (term > change) change = term;
            k[i] = k_new[i];
        }
        if (change < change_tolerance) break;
    }
    if (passes == 0) result.sum = incipient_phase(composition, k, direction, result.incipient);
    else result.trivial = pass.trivial();
    return result;
}

}  // namespace kolvar::thermo
