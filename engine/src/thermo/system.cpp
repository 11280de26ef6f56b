#include "engine/thermo/system.hpp"

#include "kolvar/format.hpp"

#include <cstdint>
#include <utility>
#include <variant>

namespace kolvar::engine {

ThermoSystem::ThermoSystem(std::vector<thermo::Component> components, Model model,
                           std::vector<std::vector<double>> params) noexcept
    : components_(std::move(components)), model_(model), params_(std::move(params))
{
}

Result<ThermoSystem> ThermoSystem::peng_robinson(std::span<const std::string> names)
{
    auto components = thermo::find_components(names);
    if (!components) return thermo_failed(std::move(components.error().message));
    return ThermoSystem(std::move(*components), thermo::liquid::PhiPhi{thermo::Eos::PR1976}, {});
}

Result<ThermoSystem> ThermoSystem::van_laar(const std::array<std::string, 2>& names, double a12, double a21)
{
    auto components = thermo::find_components(names);
    if (!components) return thermo_failed(std::move(components.error().message));
    return ThermoSystem(std::move(*components), thermo::liquid::GammaPhi{thermo::ActivityModel::VanLaar},
                        {{0.0, a12}, {a21, 0.0}});
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
    spec.components = components_;
    spec.mixing_rule = thermo::MixingRule::Classical;
    if (const auto* phi_phi = std::get_if<thermo::liquid::PhiPhi>(&model_)) {
        spec.liquid = *phi_phi;
        spec.kij = params_;
        spec.vapor = thermo::VaporModel::equation_of_state(phi_phi->eos);
    }
    if (const auto* gamma_phi = std::get_if<thermo::liquid::GammaPhi>(&model_)) {
        spec.liquid = *gamma_phi;
        spec.activity_params = params_;
        spec.vapor = thermo::VaporModel::ideal_gas();
    }
    return spec;
}

Result<void> ThermoSystem::check_composition(std::span<const double> x) const
{
    if (x.size() == components_.size()) return {};
    return invalid_input(format::text("composition has ", static_cast<std::uint64_t>(x.size()),
                                      " entries but the system has ", static_cast<std::uint64_t>(components_.size()),
                                      " components"));
}

namespace {

Result<BubblePoint> solved(std::expected<thermo::IncipientPoint, thermo::ThermoError>&& point)
{
    if (!point) return thermo_failed(point.error().text());
    return std::move(*point);
}

}  // namespace

Result<BubblePoint> ThermoSystem::bubble_temperature(double p, std::span<const double> x) const
{
    if (auto ok = check_composition(x); !ok) return std::unexpected(std::move(ok.error()));
    return solved(thermo::bubble_temperature(spec(), p, x, bubble_tolerance, bubble_iterations));
}

Result<BubblePoint> ThermoSystem::bubble_pressure(double t, std::span<const double> x) const
{
    if (auto ok = check_composition(x); !ok) return std::unexpected(std::move(ok.error()));
    return solved(
        thermo::bubble_pressure(spec(), t, x, thermo::Direction::Bubble, bubble_tolerance, bubble_iterations));
}

std::string ThermoSystem::repr() const
{
    std::string out = "ThermoSystem(";
    for (std::size_t i = 0; i < components_.size(); ++i) {
        if (i > 0) out += ", ";
        out += components_[i].name;
    }
    out += ")";
    return out;
}

}  // namespace kolvar::engine
