// The general ThermoSystem constructors and the checks that keep a bad
// description from ever reaching a calculation.
#include "activity_parameters.hpp"
#include "input_checks.hpp"

#include "engine/thermo/component_sources.hpp"
#include "engine/thermo/model_names.hpp"
#include "engine/thermo/system.hpp"

#include "kolvar/format.hpp"
#include "thermo/activity_table.hpp"
#include "thermo/saturation.hpp"

#include <cstdint>
#include <memory>
#include <utility>

namespace kolvar::engine {

Result<void> check_component_count(std::size_t n)
{
    if (n <= max_components) return {};
    return invalid_input(format::text("a system takes at most ", static_cast<std::uint64_t>(max_components),
                                      " components, got ", static_cast<std::uint64_t>(n)));
}

Result<std::vector<thermo::Component>> resolve_components(std::span<const ComponentSource> sources)
{
    if (auto ok = check_component_count(sources.size()); !ok) return std::unexpected(std::move(ok.error()));
    std::vector<thermo::Component> components;
    components.reserve(sources.size());
    for (const ComponentSource& source : sources) {
        if (const auto* name = std::get_if<std::string>(&source)) {
            auto found = thermo::find_component(*name);
            if (!found) return thermo_failed(std::move(found.error().message));
            components.push_back(std::move(*found));
        }
        else {
            auto made = thermo::component_from_constants(std::get<thermo::ComponentConstants>(source));
            if (!made) return invalid_input(std::move(made.error()));
            components.push_back(std::move(*made));
        }
    }
    return components;
}

namespace {

using format::text;
using thermo::ActivityModel;
using thermo::Component;

std::uint64_t count(std::size_t n) { return static_cast<std::uint64_t>(n); }

Result<std::vector<Component>> resolve(std::span<const ComponentSource> sources)
{
    if (sources.empty()) return invalid_input("a system needs at least one component");
    return resolve_components(sources);
}

// What the model's row says it reads.
bool model_reads(ActivityModel model, thermo::activity_data::Input input)
{
    return thermo::activity_data::row(model).reads.has(input);
}

// The square matrix a matrix model reads: n x n, or its fixed size.
std::size_t matrix_size(ActivityModel model, std::size_t n)
{
    const std::size_t fixed = thermo::activity_data::row(model).fixed_size;
    return fixed != 0 ? fixed : n;
}

// Whether the caller's parameters are the model's one matrix (not keyed).
bool reads_plain_matrix(ActivityModel model)
{
    const auto& row = thermo::activity_data::row(model);
    return row.reads.has(thermo::activity_data::Input::Matrix) && !row.keyed();
}

// The components' liquid volumes for a model that reads them.
Result<std::vector<double>> liquid_volumes(std::span<const Component> components, std::string_view reader)
{
    std::vector<double> volumes;
    volumes.reserve(components.size());
    for (const Component& c : components) {
        if (!c.liquid_volume)
            return invalid_input(text("component ", format::Quoted{c.name}, " has no liquid_volume, which ", reader,
                                      " needs"));
        volumes.push_back(*c.liquid_volume);
    }
    return volumes;
}

// One computable model per component, each with the coefficients it reads.
Result<std::vector<thermo::SaturationModel>> saturation_models(
    std::span<const Component> components, const std::optional<std::vector<thermo::SaturationModel>>& requested)
{
    if (!requested) return std::vector<thermo::SaturationModel>{};
    if (requested->size() != components.size())
        return invalid_input(text("saturation must name one model per component: ", count(components.size()),
                                  " components, got ", count(requested->size())));
    for (std::size_t i = 0; i < components.size(); ++i) {
        const thermo::SaturationModel model = (*requested)[i];
        const Component& c = components[i];
        thermo::SaturationError error{.kind = thermo::SaturationError::Kind::WrongCoefficientCount};
        if (model == thermo::SaturationModel::Maxwell) {
            error = {.kind = thermo::SaturationError::Kind::NotAvailable, .model = model};
            return invalid_input(error.text());
        }
        const std::size_t expected = model == thermo::SaturationModel::Antoine      ? 3
                                     : model == thermo::SaturationModel::Polynomial ? 5
                                                                                     : 0;
        if (expected != 0 && c.psat_coeffs.size() != expected) {
            error.component = c.name;
            error.expected = expected;
            error.actual = c.psat_coeffs.size();
            return invalid_input(error.text());
        }
    }
    return *requested;
}

// Given solubility parameters: one finite value per component.
Result<void> solubility_values(const std::vector<double>& solubility, std::size_t n)
{
    if (solubility.empty()) return {};
    if (solubility.size() != n)
        return invalid_input(text("solubility must have ", count(n), " values, got ", count(solubility.size())));
    return finite_entries("solubility", solubility);
}

// The subgroup bookkeeping of a group-contribution model, prepared once.
Result<void> prepare_groups(ActivityModel model, std::span<const Component> components, ActivityData& out)
{
    const auto table = thermo::group_model(model);
    if (!table) return {};
    auto groups = thermo::prepare_groups(*table, components);
    if (!groups) return invalid_input(std::move(groups.error()));
    out.groups = std::make_shared<const thermo::GroupMixture>(std::move(*groups));
    return {};
}

Result<void> check_activity(ActivityModel model, const thermo::ActivityInputs& inputs, std::size_t n)
{
    if (auto ok = thermo::check_activity_inputs(model, inputs, n); !ok) return invalid_input(std::move(ok.error()));
    return {};
}

}  // namespace

Result<ThermoSystem> ThermoSystem::cubic(std::span<const ComponentSource> sources, const CubicOptions& options)
{
    auto components = resolve(sources);
    if (!components) return std::unexpected(std::move(components.error()));
    const std::size_t n = components->size();

    if (options.eos_parameters) {
        if (auto ok = exact_shape("eos_parameters", *options.eos_parameters, n, 4); !ok)
            return std::unexpected(std::move(ok.error()));
        if (auto ok = finite_entries("eos_parameters", *options.eos_parameters); !ok)
            return std::unexpected(std::move(ok.error()));
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t p = 0; p < 4; ++p) (*components)[i].eos_params[p] = (*options.eos_parameters)[i][p];
    }

    const char* rule = thermo::name(options.mixing_rule);
    if (options.ge_model && !thermo::is_ge_based(options.mixing_rule))
        return invalid_input(text("mixing rule ", rule, " takes no activity model (ge_model is read by WongSandler, "
                                  "HuronVidalOriginal, HuronVidalSimplified, MHV1 and MHV2)"));
    if (options.ge_parameters && !options.ge_model) return invalid_input("ge_parameters given without ge_model");
    using thermo::activity_data::Input;
    if (options.solubility && !(options.ge_model && model_reads(*options.ge_model, Input::Solubility)))
        return invalid_input(text("solubility is read by the ge_model RegularSolution only; ",
                                  options.ge_model ? text("this system's ge_model is ", thermo::name(*options.ge_model))
                                                   : std::string("this system has no ge_model")));

    Model model;
    model.liquid = thermo::liquid::PhiPhi{options.eos};
    model.vapour = thermo::VaporModel::equation_of_state(options.eos);
    model.mixing_rule = options.mixing_rule;
    if (options.kij) model.kij = *options.kij;
    if (options.ge_model) {
        model.ge = thermo::GeSpec{*options.ge_model};
        if (auto ok = take_parameters(*options.ge_model, "ge_parameters", options.ge_parameters, n, model.activity);
            !ok)
            return std::unexpected(std::move(ok.error()));
        if (options.solubility) model.activity.solubility = *options.solubility;
        if (auto ok = prepare_groups(*options.ge_model, *components, model.activity); !ok)
            return std::unexpected(std::move(ok.error()));
        if (model_reads(*options.ge_model, Input::Volumes)) {
            auto volumes = liquid_volumes(*components, thermo::name(*options.ge_model));
            if (!volumes) return std::unexpected(std::move(volumes.error()));
            model.activity.volumes = std::move(*volumes);
        }
    }

    const thermo::MixtureSpec mixture{.components = *components,
                                      .kij = model.kij,
                                      .rule = model.mixing_rule,
                                      .ge = model.ge,
                                      .activity = model.activity.view()};
    if (auto ok = thermo::check_mixture(mixture, options.eos, n); !ok)
        return invalid_input(std::move(ok.error().message));
    if (auto ok = finite_entries("kij", model.kij); !ok) return std::unexpected(std::move(ok.error()));
    if (model.ge && reads_plain_matrix(model.ge->model)) {
        const std::size_t size = matrix_size(model.ge->model, n);
        if (auto ok = exact_shape("ge_parameters", model.activity.parameters, size, size); !ok)
            return std::unexpected(std::move(ok.error()));
    }
    if (auto ok = finite_entries("ge_parameters", model.activity.parameters); !ok)
        return std::unexpected(std::move(ok.error()));
    if (auto ok = solubility_values(model.activity.solubility, n); !ok) return std::unexpected(std::move(ok.error()));

    model.label = text(thermo::name(options.eos), ", ", rule);
    if (model.ge) model.label += text(" with ", thermo::name(model.ge->model));
    return ThermoSystem(std::move(*components), std::move(model));
}

Result<ThermoSystem> ThermoSystem::activity(std::span<const ComponentSource> sources, const ActivityOptions& options)
{
    auto components = resolve(sources);
    if (!components) return std::unexpected(std::move(components.error()));
    const std::size_t n = components->size();
    const ActivityModel activity_model = options.model;
    const char* model_name = thermo::name(activity_model);

    using thermo::activity_data::Input;
    Model model;
    model.liquid = thermo::liquid::GammaPhi{activity_model};
    model.vapour = options.vapour;
    if (options.parameters && !thermo::activity_data::row(activity_model).takes_parameters())
        return invalid_input(text("activity model ", model_name, " takes no parameters"));
    if (auto ok = take_parameters(activity_model, "parameters", options.parameters, n, model.activity); !ok)
        return std::unexpected(std::move(ok.error()));
    if (options.solubility) {
        if (!model_reads(activity_model, Input::Solubility))
            return invalid_input(text("solubility is read by RegularSolution only, not by ", model_name));
        model.activity.solubility = *options.solubility;
    }
    if (auto ok = prepare_groups(activity_model, *components, model.activity); !ok)
        return std::unexpected(std::move(ok.error()));
    if (model_reads(activity_model, Input::Volumes)) {
        auto volumes = liquid_volumes(*components, model_name);
        if (!volumes) return std::unexpected(std::move(volumes.error()));
        model.activity.volumes = std::move(*volumes);
    }
    if (auto ok = check_activity(activity_model, model.activity.view(), n); !ok)
        return std::unexpected(std::move(ok.error()));
    if (reads_plain_matrix(activity_model)) {
        const std::size_t size = matrix_size(activity_model, n);
        if (auto ok = exact_shape("parameters", model.activity.parameters, size, size); !ok)
            return std::unexpected(std::move(ok.error()));
    }
    if (auto ok = finite_entries("parameters", model.activity.parameters); !ok)
        return std::unexpected(std::move(ok.error()));
    if (auto ok = solubility_values(model.activity.solubility, n); !ok) return std::unexpected(std::move(ok.error()));

    auto saturation = saturation_models(*components, options.saturation);
    if (!saturation) return std::unexpected(std::move(saturation.error()));
    model.saturation = std::move(*saturation);
    if (options.poynting) {
        if (auto volumes = liquid_volumes(*components, "the Poynting factor"); !volumes)
            return std::unexpected(std::move(volumes.error()));
        model.poynting = true;
    }

    model.label = text(model_name, ", ", name(options.vapour), " vapour", options.poynting ? ", Poynting" : "");
    return ThermoSystem(std::move(*components), std::move(model));
}

Result<ThermoSystem> ThermoSystem::ideal_solution(std::span<const ComponentSource> sources,
                                                  thermo::VaporModel vapour,
                                                  const std::optional<std::vector<thermo::SaturationModel>>& saturation)
{
    auto components = resolve(sources);
    if (!components) return std::unexpected(std::move(components.error()));
    auto models = saturation_models(*components, saturation);
    if (!models) return std::unexpected(std::move(models.error()));
    Model model;
    model.liquid = thermo::liquid::IdealSolution{};
    model.vapour = vapour;
    model.saturation = std::move(*models);
    model.label = text("IdealSolution, ", name(vapour), " vapour");
    return ThermoSystem(std::move(*components), std::move(model));
}

Result<ThermoSystem> ThermoSystem::grayson_streed(std::span<const ComponentSource> sources, thermo::VaporModel vapour)
{
    auto components = resolve(sources);
    if (!components) return std::unexpected(std::move(components.error()));
    Model model;
    model.liquid = thermo::liquid::GraysonStreed{};
    model.vapour = vapour;
    model.label = text("GraysonStreed, ", name(vapour), " vapour");
    return ThermoSystem(std::move(*components), std::move(model));
}

}  // namespace kolvar::engine
