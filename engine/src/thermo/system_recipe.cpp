// A system's recipe, read from its model, and the system made again from one.
// The two fixed systems have no label; every other constructor writes one.
#include "activity_parameters.hpp"

#include "engine/thermo/component_sources.hpp"
#include "engine/thermo/system.hpp"

#include "kolvar/format.hpp"

#include <cstdint>
#include <utility>

namespace kolvar::engine {
namespace {

template <class T>
std::optional<T> given(const T& value)
{
    return value.empty() ? std::nullopt : std::optional<T>(value);
}

}  // namespace

SystemRecipe ThermoSystem::recipe() const
{
    const Model& m = model_;
    if (const auto* phi_phi = std::get_if<thermo::liquid::PhiPhi>(&m.liquid)) {
        if (m.label.empty()) return PengRobinsonRecipe{};
        Matrix eos_parameters;
        for (const thermo::Component& c : components_) {
            eos_parameters.emplace_back(c.eos_params.begin(), c.eos_params.end());
        }
        return CubicOptions{.eos = phi_phi->eos,
                            .mixing_rule = m.mixing_rule,
                            .kij = given(m.kij),
                            .ge_model = m.ge ? std::optional(m.ge->model) : std::nullopt,
                            .ge_parameters = m.ge ? given_parameters(m.ge->model, m.activity) : std::nullopt,
                            .eos_parameters = given(eos_parameters),
                            .solubility = given(m.activity.solubility)};
    }
    if (const auto* gamma_phi = std::get_if<thermo::liquid::GammaPhi>(&m.liquid)) {
        if (m.label.empty()) return VanLaarRecipe{m.activity.parameters[0][1], m.activity.parameters[1][0]};
        return ActivityOptions{.model = gamma_phi->model,
                               .parameters = given_parameters(gamma_phi->model, m.activity),
                               .vapour = m.vapour,
                               .saturation = given(m.saturation),
                               .poynting = m.poynting,
                               .solubility = given(m.activity.solubility)};
    }
    if (std::holds_alternative<thermo::liquid::IdealSolution>(m.liquid)) {
        return IdealSolutionRecipe{m.vapour, given(m.saturation)};
    }
    return GraysonStreedRecipe{m.vapour};
}

Result<ThermoSystem> ThermoSystem::restore(std::span<const ComponentSource> sources, const SystemRecipe& recipe)
{
    if (const auto* cubic_options = std::get_if<CubicOptions>(&recipe)) return cubic(sources, *cubic_options);
    if (const auto* activity_options = std::get_if<ActivityOptions>(&recipe)) {
        return activity(sources, *activity_options);
    }
    if (const auto* ideal = std::get_if<IdealSolutionRecipe>(&recipe)) {
        return ideal_solution(sources, ideal->vapour, ideal->saturation);
    }
    if (const auto* grayson = std::get_if<GraysonStreedRecipe>(&recipe)) {
        return grayson_streed(sources, grayson->vapour);
    }

    // The two fixed systems, whose own constructors take database names only.
    auto resolved = resolve_components(sources);
    if (!resolved) return std::unexpected(std::move(resolved.error()));
    std::vector<thermo::Component> components = std::move(*resolved);
    if (std::holds_alternative<PengRobinsonRecipe>(recipe)) return ThermoSystem(std::move(components), Model{});
    if (components.size() != 2) {
        return invalid_input(format::text("van_laar needs 2 components, got ",
                                          static_cast<std::uint64_t>(components.size())));
    }
    const auto& van_laar_recipe = std::get<VanLaarRecipe>(recipe);
    return ThermoSystem(std::move(components), van_laar_model(van_laar_recipe.a12, van_laar_recipe.a21));
}

}  // namespace kolvar::engine
