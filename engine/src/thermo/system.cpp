#include "engine/thermo/system.hpp"

#include "engine/thermo/component_sources.hpp"

#include "kolvar/format.hpp"

#include <utility>
#include <variant>

namespace kolvar::engine {

ThermoSystem::ThermoSystem(std::vector<thermo::Component> components, Model model) noexcept
    : components_(std::move(components)), model_(std::move(model))
{
}

Result<ThermoSystem> ThermoSystem::peng_robinson(std::span<const std::string> names)
{
    if (auto ok = check_component_count(names.size()); !ok) return std::unexpected(std::move(ok.error()));
    auto components = thermo::find_components(names);
    if (!components) return thermo_failed(std::move(components.error().message));
    return ThermoSystem(std::move(*components), Model{});
}

Result<ThermoSystem> ThermoSystem::van_laar(const std::array<std::string, 2>& names, double a12, double a21)
{
    auto components = thermo::find_components(names);
    if (!components) return thermo_failed(std::move(components.error().message));
    return ThermoSystem(std::move(*components), van_laar_model(a12, a21));
}

ThermoSystem::Model ThermoSystem::van_laar_model(double a12, double a21)
{
    Model model;
    model.liquid = thermo::liquid::GammaPhi{thermo::ActivityModel::VanLaar};
    model.vapour = thermo::VaporModel::ideal_gas();
    model.activity.parameters = {{0.0, a12}, {a21, 0.0}};
    return model;
}

std::vector<std::string> ThermoSystem::database_names()
{
    const auto names = thermo::database_names();
    return {names.begin(), names.end()};
}

Result<thermo::Component> ThermoSystem::database_component(std::string_view name)
{
    auto component = thermo::find_component(name);
    if (!component) return thermo_failed(std::move(component.error().message));
    return std::move(*component);
}

std::vector<std::string> ThermoSystem::component_names() const
{
    std::vector<std::string> names;
    names.reserve(components_.size());
    for (const thermo::Component& component : components_) names.push_back(component.name);
    return names;
}

thermo::SystemSpec ThermoSystem::spec() const noexcept
{
    thermo::SystemSpec spec;
    spec.liquid = model_.liquid;
    spec.components = components_;
    spec.kij = model_.kij;
    spec.activity = model_.activity.view();
    spec.saturation_models = model_.saturation;
    spec.ge = model_.ge;
    spec.mixing_rule = model_.mixing_rule;
    spec.vapor = model_.vapour;
    spec.poynting = model_.poynting;
    return spec;
}

thermo::SystemSpec ThermoSystem::spec(Interrupt& interrupt) const noexcept
{
    thermo::SystemSpec spec = this->spec();
    spec.stop = interrupt.stop_request();
    return spec;
}

std::string ThermoSystem::repr() const
{
    std::string out = "ThermoSystem(";
    for (std::size_t i = 0; i < components_.size(); ++i) {
        if (i > 0) out += ", ";
        out += components_[i].name;
    }
    if (!model_.label.empty()) {
        out += components_.empty() ? "" : "; ";
        out += model_.label;
    }
    out += ")";
    return out;
}

std::string ThermoSystem::liquid_description() const
{
    struct Describe {
        std::string operator()(const thermo::liquid::PhiPhi& m) const
        {
            return format::text("the equation of state ", thermo::name(m.eos));
        }
        std::string operator()(const thermo::liquid::GammaPhi& m) const
        {
            return format::text("the activity model ", thermo::name(m.model));
        }
        std::string operator()(const thermo::liquid::IdealSolution&) const { return "an ideal solution"; }
        std::string operator()(const thermo::liquid::GraysonStreed&) const { return "Grayson-Streed"; }
    };
    return std::visit(Describe{}, model_.liquid);
}

}  // namespace kolvar::engine
