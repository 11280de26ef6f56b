// ThermoSystem and the end-to-end smoke check.
#include "module/classes.hpp"
#include "module/component_names.hpp"
#include "module/energy.hpp"
#include "module/fugacity_derivatives.hpp"
#include "module/stable_flash.hpp"
#include "module/system_state.hpp"
#include "module/thermo.hpp"
#include "module/thermo_conversions.hpp"

#include "toolkit/class.hpp"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kolvar::thermo {

// A solved bubble point reads as the tuple (T or P, y, k).
PyObject* to_python(const IncipientPoint& point)
{
    return bind::tuple_of({bind::to_python(point.value), bind::to_python(point.y), bind::to_python(point.k)});
}

}  // namespace kolvar::thermo

namespace kolvar::bind {
namespace {

using engine::ThermoSystem;

const auto system_peng_robinson = static_method(
    "ThermoSystem", "peng_robinson",
    "A φ–φ system: Peng–Robinson in both phases, classical mixing, kij = 0, the\n"
    "components taken by name from the built-in database.",
    [](std::vector<engine::ComponentSource> names) {
        return ThermoSystem::restore(names, engine::PengRobinsonRecipe{});
    },
    required<NameList>("names"));

const auto system_van_laar = static_method(
    "ThermoSystem", "van_laar",
    "A γ–φ system for a binary pair: van Laar liquid and ideal-gas vapour; a12 and\n"
    "a21 are the dimensionless van Laar parameters in the given component order.",
    [](std::vector<engine::ComponentSource> names, double a12, double a21) {
        return ThermoSystem::restore(names, engine::VanLaarRecipe{a12, a21});
    },
    required<NamePair>("names"), required<Float>("a12"), required<Float>("a21"));

const auto system_bubble_temperature = method<ThermoSystem>(
    "ThermoSystem", "bubble_temperature",
    "Bubble temperature [K] at pressure `p` [kPa] for liquid composition\n`x`. Returns `(T, y, k)`.",
    [](const ThermoSystem& system, double p, std::vector<double> x, engine::Interrupt interrupt) {
        return system.bubble_temperature(p, x, interrupt);
    },
    required<Float>("p"), required<Composition>("x"))
    .without_lock();

const auto system_bubble_pressure = method<ThermoSystem>(
    "ThermoSystem", "bubble_pressure",
    "Bubble pressure [kPa] at temperature `t` [K] for liquid composition\n`x`. Returns `(P, y, k)`.",
    [](const ThermoSystem& system, double t, std::vector<double> x, engine::Interrupt interrupt) {
        return system.bubble_pressure(t, x, interrupt);
    },
    required<Float>("t"), required<Composition>("x"))
    .without_lock();

using engine::ComponentSource;
using OptionalMatrix = std::optional<engine::Matrix>;
using OptionalParameters = std::optional<engine::ActivityParameters>;
using OptionalSaturation = std::optional<SaturationChoice::Value>;

const auto system_cubic = static_method(
    "ThermoSystem", "cubic",
    "A φ–φ system: one cubic equation of state in both phases.\n\n"
    "`components` are database names or mappings of constants (the keys of\n"
    "`kolvar.component`). `eos` and `mixing_rule` are the library's model names;\n"
    "`kij` is an n×n matrix (row i, entry j; it may be asymmetric). The\n"
    "excess-Gibbs-energy rules need `ge_model`, an activity-model name, and its\n"
    "`ge_parameters`; their liquid molar volumes come from the components.\n"
    "`eos_parameters` gives p1…p4 per component for the equations of state that\n"
    "read them (0 in the database). `solubility` gives the regular-solution δ\n"
    "values in (cal/cm3)^½ of `ge_model=\"RegularSolution\"`. The `ge_parameters`\n"
    "of NRTL and UNIQUAC are a mapping, as for `activity`; UNIFAC and\n"
    "UNIFAC-Dortmund take none (MHV1 with UNIFAC is a predictive cubic).",
    [](std::vector<ComponentSource> components, thermo::Eos eos, thermo::MixingRule rule, OptionalMatrix kij,
       std::optional<thermo::ActivityModel> ge_model, OptionalParameters ge_parameters, OptionalMatrix eos_parameters,
       std::optional<std::vector<double>> solubility) {
        return ThermoSystem::cubic(components, {.eos = eos,
                                                .mixing_rule = rule,
                                                .kij = std::move(kij),
                                                .ge_model = ge_model,
                                                .ge_parameters = std::move(ge_parameters),
                                                .eos_parameters = std::move(eos_parameters),
                                                .solubility = std::move(solubility)});
    },
    required<ComponentList>("components"), optional<EosName>("eos", thermo::Eos::PR1976),
    optional<MixingRuleName>("mixing_rule", thermo::MixingRule::Classical),
    optional<Maybe<FloatMatrix>>("kij", std::nullopt), optional<Maybe<ActivityModelName>>("ge_model", std::nullopt),
    optional<Maybe<ActivityParametersArg>>("ge_parameters", std::nullopt),
    optional<Maybe<FloatMatrix>>("eos_parameters", std::nullopt),
    optional<Maybe<FloatList>>("solubility", std::nullopt));

const auto system_activity = static_method(
    "ThermoSystem", "activity",
    "A γ–φ system: an activity-coefficient liquid.\n\n"
    "`model` is an activity-model name and `parameters` its matrix (van Laar and\n"
    "Margules dimensionless, Wilson λ_ij in J/mol), or for NRTL and UNIQUAC a\n"
    "mapping of n×n matrices (diagonals not read) and lists:\n\n"
    "- NRTL `{\"a\": A, \"b\": B, \"alpha\": C}`: τ_ij = a_ij + b_ij/T (T in K),\n"
    "  G_ij = exp(−α_ij τ_ij), α_ij ≥ 0 and possibly asymmetric;\n"
    "- UNIQUAC `{\"r\": [...], \"q\": [...], \"a\": A, \"b\": B}`: τ_ij =\n"
    "  exp(a_ij + b_ij/T), z = 10, r_i and q_i > 0.\n\n"
    "b is (g_ij − g_jj)/R in K (for UNIQUAC, −(u_ij − u_jj)/R): parameters given\n"
    "in J/mol or cal/mol are divided by R in those units. \"UNIFAC\" and\n"
    "\"UNIFAC-Dortmund\" take no parameters: they predict the liquid from the\n"
    "components' subgroups (`unifac_groups`, `dortmund_groups`). `vapour` is \"IdealGas\",\n"
    "\"Virial\" or an equation-of-state name; `saturation` None (each component's\n"
    "own correlation), one correlation name for every component, or one name per\n"
    "component. `poynting=True`\n"
    "applies the Poynting factor with the components' liquid volumes;\n"
    "`solubility` gives the regular-solution δ values in (cal/cm3)^½.",
    [](std::vector<ComponentSource> components, thermo::ActivityModel model, OptionalParameters parameters,
       thermo::VaporModel vapour, OptionalSaturation saturation, bool poynting,
       std::optional<std::vector<double>> solubility) {
        return ThermoSystem::activity(components, {.model = model,
                                                   .parameters = std::move(parameters),
                                                   .vapour = vapour,
                                                   .saturation = per_component(saturation, components.size()),
                                                   .poynting = poynting,
                                                   .solubility = std::move(solubility)});
    },
    required<ComponentList>("components"), required<ActivityModelName>("model"),
    optional<Maybe<ActivityParametersArg>>("parameters", std::nullopt),
    optional<VapourName>("vapour", thermo::VaporModel::ideal_gas()),
    optional<Maybe<SaturationChoice>>("saturation", std::nullopt), optional<Flag>("poynting", false),
    optional<Maybe<FloatList>>("solubility", std::nullopt));

const auto system_ideal_solution = static_method(
    "ThermoSystem", "ideal_solution",
    "An ideal-solution liquid (γ = 1) with the given vapour and saturation models\n"
    "(`saturation` as for `activity`).",
    [](std::vector<ComponentSource> components, thermo::VaporModel vapour, OptionalSaturation saturation) {
        return ThermoSystem::ideal_solution(components, vapour, per_component(saturation, components.size()));
    },
    required<ComponentList>("components"), optional<VapourName>("vapour", thermo::VaporModel::ideal_gas()),
    optional<Maybe<SaturationChoice>>("saturation", std::nullopt));

const auto system_grayson_streed = static_method(
    "ThermoSystem", "grayson_streed",
    "The Grayson–Streed liquid fugacity correlation with the given vapour model.",
    [](std::vector<ComponentSource> components, thermo::VaporModel vapour) {
        return ThermoSystem::grayson_streed(components, vapour);
    },
    required<ComponentList>("components"),
    optional<VapourName>("vapour", thermo::VaporModel::equation_of_state(thermo::Eos::RK1949)));

const auto system_database_names = static_method(
    "ThermoSystem", "_database_names", "The database's compound names, in the order of its table.",
    []() { return ThermoSystem::database_names(); });

const auto system_database_component = static_method(
    "ThermoSystem", "_database_component",
    "One database compound's constants as a dict of the keys the constructors accept.",
    [](std::string name) -> PyObject* {
        auto component = ThermoSystem::database_component(name);
        if (!component) {
            raise(component.error());
            return nullptr;
        }
        return constants_dict(thermo::constants_of(*component));
    },
    required<Text>("name"));

const auto system_model_names = static_method(
    "ThermoSystem", "_model_names",
    "The accepted model names by keyword kind: eos, mixing_rule, activity, saturation, vapour.",
    []() -> PyObject* { return model_names_dict(); });

const auto system_dew_temperature = method<ThermoSystem>(
    "ThermoSystem", "dew_temperature",
    "Dew temperature [K] at pressure `p` [kPa] for vapour composition `y`.\nReturns `(T, x, k)`.",
    [](const ThermoSystem& system, double p, std::vector<double> y, engine::Interrupt interrupt) {
        return system.dew_temperature(p, y, interrupt);
    },
    required<Float>("p"), required<Composition>("y"))
    .without_lock();

const auto system_dew_pressure = method<ThermoSystem>(
    "ThermoSystem", "dew_pressure",
    "Dew pressure [kPa] at temperature `t` [K] for vapour composition `y`.\nReturns `(P, x, k)`.",
    [](const ThermoSystem& system, double t, std::vector<double> y, engine::Interrupt interrupt) {
        return system.dew_pressure(t, y, interrupt);
    },
    required<Float>("t"), required<Composition>("y"))
    .without_lock();

const auto system_flash = method<ThermoSystem>(
    "ThermoSystem", "flash",
    "Isothermal flash of feed `z` at `t` [K] and `p` [kPa]. Returns\n"
    "`(vapour_fraction, x, y)`; a single-phase feed gives exactly 0 or 1.",
    [](const ThermoSystem& system, double t, double p, std::vector<double> z) { return system.flash(t, p, z); },
    required<Float>("t"), required<Float>("p"), required<Composition>("z"))
    .without_lock();

const auto system_k_values = method<ThermoSystem>(
    "ThermoSystem", "k_values",
    "K-values of the liquid `x` at `t` [K] and `p` [kPa] with its incipient\nvapour. Returns `(k, y)`.",
    [](const ThermoSystem& system, double t, double p, std::vector<double> x) { return system.k_values(t, p, x); },
    required<Float>("t"), required<Float>("p"), required<Composition>("x"))
    .without_lock();

const auto system_ln_phi = method<ThermoSystem>(
    "ThermoSystem", "ln_phi",
    "ln φ_i of one phase (\"liquid\" or \"vapour\") of the given composition at\n"
    "`t` [K] and `p` [kPa].",
    [](const ThermoSystem& system, double t, double p, std::vector<double> composition, thermo::Phase phase) {
        return system.ln_phi(t, p, composition, phase);
    },
    required<Float>("t"), required<Float>("p"), required<Composition>("composition"), required<PhaseName>("phase"));

const auto system_ln_gamma = method<ThermoSystem>(
    "ThermoSystem", "ln_gamma", "ln γ_i of the liquid `x` at `t` [K] (activity-coefficient systems).",
    [](const ThermoSystem& system, double t, std::vector<double> x) { return system.ln_gamma(t, x); },
    required<Float>("t"), required<Composition>("x"));

const auto system_saturation_pressure = method<ThermoSystem>(
    "ThermoSystem", "saturation_pressure", "Saturation pressure [kPa] of every component at `t` [K].",
    [](const ThermoSystem& system, double t) { return system.saturation_pressure(t); }, required<Float>("t"));

const auto system_liquid_stability = method<ThermoSystem>(
    "ThermoSystem", "liquid_stability",
    "The minimum tangent-plane distance of the liquid `x` at `t` [K] and `p` [kPa]\n"
    "and its trial composition. Returns `(tpd_min, trial_x)`; a negative value\n"
    "means the liquid splits into two liquids.",
    [](const ThermoSystem& system, double t, double p, std::vector<double> x, engine::Interrupt interrupt) {
        return system.liquid_stability(t, p, x, interrupt);
    },
    required<Float>("t"), required<Float>("p"), required<Composition>("x"))
    .without_lock();

const auto smoke_function = function(
    "smoke_bubble_temperature",
    "The bubble temperature (K) of equimolar methanol/water at 101.325 kPa by\n"
    "Peng–Robinson: the cheapest end-to-end health check across the module boundary.",
    []() -> engine::Result<double> {
        const std::array<std::string, 2> names{"methanol", "water"};
        auto system = ThermoSystem::peng_robinson(names);
        if (!system) return std::unexpected(std::move(system.error()));
        const std::array<double, 2> x{0.5, 0.5};
        auto point = system->bubble_temperature(101.325, x);
        if (!point) return std::unexpected(std::move(point.error()));
        return point->value;
    })
    .without_lock();

std::string system_repr(const ThermoSystem& system) { return system.repr(); }

PyObject* make_thermo_system()
{
    ClassSpec<ThermoSystem> spec{
        "An owned mixture plus model selection that answers equilibrium questions.\n\n"
        "It owns the components and parameter matrices and assembles a fresh, cheap\n"
        "system specification for every call: build it once per column problem and\n"
        "reuse it."};
    spec.attributes = {
        computed<ThermoSystem>("components", "Component names, in composition-index order.",
                               [](const ThermoSystem& s) { return to_python(s.component_names()); }),
    };
    spec.methods = {def<system_peng_robinson>(),      def<system_van_laar>(),
                    def<system_cubic>(),              def<system_activity>(),
                    def<system_ideal_solution>(),     def<system_grayson_streed>(),
                    def<system_database_names>(),     def<system_database_component>(),
                    def<system_model_names>(),        def<system_bubble_temperature>(),
                    def<system_bubble_pressure>(),    def<system_dew_temperature>(),
                    def<system_dew_pressure>(),       def<system_flash>(),
                    def<system_k_values>(),           def<system_ln_phi>(),
                    def<system_ln_gamma>(),           def<system_saturation_pressure>(),
                    def<system_liquid_stability>()};
    for (const PyMethodDef& energy : thermo_system_energy_methods()) spec.methods.push_back(energy);
    spec.methods.push_back(thermo_system_stable_flash_def());
    spec.methods.push_back(thermo_system_ln_phi_derivatives_def());
    spec.repr = repr_of<ThermoSystem, &system_repr>;
    declare_travel(spec);
    return create_class(std::move(spec));
}
const DeclaredClass<ThermoSystem> thermo_system_class{"ThermoSystem", &make_thermo_system};

}  // namespace

PyMethodDef smoke_bubble_temperature_def() { return def<smoke_function>(); }

}  // namespace kolvar::bind
