#include "flash/model_checks.hpp"

#include "kolvar/format.hpp"

#include <string>
#include <utility>

namespace kolvar::thermo::flash {
namespace {

using format::text;

std::unexpected<ThermoError> mismatch(std::string message)
{
    return std::unexpected(ThermoError::dimension_mismatch(std::move(message)));
}

bool matrix_fits(ParameterRows rows, std::size_t n)
{
    if (rows.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (rows[i].size() < n) return false;
    return true;
}

// The activity models read their inputs unchecked.
std::expected<void, ThermoError> check_activity_inputs(const SystemSpec& spec, ActivityModel model, std::size_t n)
{
    const char* m = name(model);
    if ((model == ActivityModel::VanLaar || model == ActivityModel::Wilson) && !matrix_fits(spec.activity_params, n))
        return mismatch(text("activity model ", m, " needs a parameter matrix of at least ", n, "\u00d7", n));
    if ((model == ActivityModel::Wilson || model == ActivityModel::RegularSolution) && spec.molar_volumes.size() < n)
        return mismatch(text("activity model ", m, " needs ", n, " molar volumes, got ", spec.molar_volumes.size()));
    if (model == ActivityModel::RegularSolution && spec.solubility_params.size() < n)
        return mismatch(text("activity model ", m, " needs ", n, " solubility parameters, got ",
                             spec.solubility_params.size()));
    if (model == ActivityModel::Margules) {
        if (n != 2) return mismatch(text("activity model ", m, " needs exactly 2 components, got ", n));
        const ParameterRows p = spec.activity_params;
        if (p.size() < 2 || p[0].size() < 2 || p[1].size() < 1)
            return mismatch(text("activity model ", m, " needs a parameter matrix of at least 2\u00d72"));
    }
    return {};
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
        if (static_cast<unsigned>(gamma_phi->model) > static_cast<unsigned>(ActivityModel::IdealLiquid))
            return std::unexpected(ThermoError::unsupported(
                text("liquid model ", static_cast<unsigned>(gamma_phi->model), " is not an activity model")));
        return check_activity_inputs(spec, gamma_phi->model, n);
    }
    return {};
}

}  // namespace kolvar::thermo::flash
