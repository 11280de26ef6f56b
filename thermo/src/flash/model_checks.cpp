#include "flash/model_checks.hpp"

#include "kolvar/format.hpp"
#include "thermo/activity_table.hpp"

#include <cmath>
#include <string>
#include <utility>
#include <variant>

namespace kolvar::thermo::flash {
namespace {

using format::text;

std::unexpected<ThermoError> mismatch(std::string message)
{
    return std::unexpected(ThermoError::dimension_mismatch(std::move(message)));
}

}  // namespace

std::expected<void, ThermoError> check_composition(std::size_t components, std::size_t composition_size,
                                                   Direction direction)
{
    if (composition_size == components) return {};
    const bool bubble = direction == Direction::Bubble;
    return mismatch(text("components=", components, ", x=", bubble ? composition_size : components,
                         ", y=", bubble ? components : composition_size));
}

std::expected<void, ThermoError> check_models(const SystemSpec& spec, std::size_t k_size)
{
    const std::size_t n = spec.components.size();
    if (k_size != n) return mismatch(text("components=", n, ", K=", k_size));
    if (spec.vapor.kind == VaporModel::Kind::Eos && static_cast<unsigned>(spec.vapor.eos) >= eos_count)
        return std::unexpected(ThermoError::unsupported(
            text("vapour model ", static_cast<unsigned>(spec.vapor.eos), " is not an equation of state")));
    if (const auto* phi_phi = std::get_if<liquid::PhiPhi>(&spec.liquid);
        phi_phi && static_cast<unsigned>(phi_phi->eos) >= eos_count)
        return std::unexpected(ThermoError::unsupported(
            text("liquid model ", static_cast<unsigned>(phi_phi->eos), " is not an equation of state")));
    if (const auto* gamma_phi = std::get_if<liquid::GammaPhi>(&spec.liquid)) {
        if (static_cast<std::size_t>(gamma_phi->model) >= activity_data::model_count)
            return std::unexpected(ThermoError::unsupported(
                text("liquid model ", static_cast<unsigned>(gamma_phi->model), " is not an activity model")));
        if (auto inputs = check_activity_inputs(gamma_phi->model, spec.activity, n); !inputs)
            return mismatch(std::move(inputs.error()));
    }
    return {};
}

std::expected<void, ThermoError> normalised_composition(std::span<const double> x, std::span<double> out)
{
    double sum = 0.0;
    bool valid = true;
    for (double v : x) {
        valid = valid && std::isfinite(v) && v >= 0.0;
        sum += v;
    }
    if (!valid || !(sum > 0.0)) return mismatch("composition must be finite and non-negative with a positive sum");
    for (std::size_t i = 0; i < x.size(); ++i) out[i] = x[i] / sum;
    return {};
}

bool one_equation_of_state(const SystemSpec& spec)
{
    const auto* phi_phi = std::get_if<liquid::PhiPhi>(&spec.liquid);
    return phi_phi != nullptr && spec.vapor.kind == VaporModel::Kind::Eos && phi_phi->eos == spec.vapor.eos;
}

}  // namespace kolvar::thermo::flash
