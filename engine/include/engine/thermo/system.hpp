// ThermoSystem: an owned mixture plus its model selection. It owns the
// component records and the parameter matrices and assembles a fresh,
// borrowing thermo::SystemSpec for every question it answers. Build it
// once per column problem and reuse it.
#pragma once

#include "engine/error.hpp"
#include "engine/interrupt.hpp"

#include "thermo/component.hpp"
#include "thermo/flash.hpp"
#include "thermo/group_contribution.hpp"
#include "thermo/isothermal_flash.hpp"
#include "thermo/phase.hpp"
#include "thermo/phase_properties.hpp"
#include "thermo/stability.hpp"

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace kolvar::engine {

// A solved bubble or dew point: the solved quantity (T in K or P in kPa), the
// incipient phase's composition (y of a bubble point, x of a dew point) and
// the K-values.
using BubblePoint = thermo::IncipientPoint;

using Matrix = std::vector<std::vector<double>>;

struct EquilibriumPhase;  // engine/thermo/stable_flash.hpp
struct FugacityDerivatives;  // engine/thermo/fugacity_derivatives.hpp

// A component as a caller names it: a database name, or its constants.
using ComponentSource = std::variant<std::string, thermo::ComponentConstants>;

// Parameters given by key, as NRTL and UNIQUAC take them: each value a
// matrix or a list, in the caller's order.
// A number stands where a matrix or list is due only to be refused as such.
using KeyedValue = std::variant<std::vector<double>, Matrix, double>;
using KeyedParameters = std::vector<std::pair<std::string, KeyedValue>>;

// An activity model's parameters as a caller gives them: a matrix (van Laar,
// Wilson, Margules) or values by key (NRTL, UNIQUAC).
using ActivityParameters = std::variant<Matrix, KeyedParameters>;

// An activity model's inputs, owned; view() lends them to the library.
struct ActivityData {
    Matrix parameters;                // the matrix, or the key "a"
    std::vector<double> volumes;      // liquid molar volumes, when the model reads them
    std::vector<double> solubility;   // regular-solution delta
    Matrix b;                         // the key "b"
    Matrix alpha;                     // the key "alpha"
    std::vector<double> r;            // the key "r"
    std::vector<double> q;            // the key "q"
    // UNIFAC's subgroups of the system's components, prepared when it is built.
    std::shared_ptr<const thermo::GroupMixture> groups;

    thermo::ActivityInputs view() const noexcept
    {
        return {parameters, volumes, solubility, b, alpha, r, q, groups.get()};
    }
};

// The choices of ThermoSystem::cubic: one equation of state in both phases.
struct CubicOptions {
    thermo::Eos eos = thermo::Eos::PR1976;
    thermo::MixingRule mixing_rule = thermo::MixingRule::Classical;
    std::optional<Matrix> kij;                        // n x n, may be asymmetric
    std::optional<thermo::ActivityModel> ge_model;    // the excess-Gibbs-energy rules' model
    std::optional<ActivityParameters> ge_parameters;  // its parameters
    std::optional<Matrix> eos_parameters;             // n rows of p1..p4
    std::optional<std::vector<double>> solubility;    // a RegularSolution ge_model's delta, (cal/cm3)^0.5
};

// The choices of ThermoSystem::activity: an activity-coefficient liquid.
struct ActivityOptions {
    thermo::ActivityModel model = thermo::ActivityModel::VanLaar;
    std::optional<ActivityParameters> parameters;
    thermo::VaporModel vapour = thermo::VaporModel::ideal_gas();
    std::optional<std::vector<thermo::SaturationModel>> saturation;  // one per component
    bool poynting = false;
    std::optional<std::vector<double>> solubility;  // regular-solution delta, (cal/cm3)^0.5
};

// How a system is made again: the constructor that made it and the choices
// it was given, apart from its components.
struct PengRobinsonRecipe {};
struct VanLaarRecipe {
    double a12 = 0.0;
    double a21 = 0.0;
};
struct IdealSolutionRecipe {
    thermo::VaporModel vapour = thermo::VaporModel::ideal_gas();
    std::optional<std::vector<thermo::SaturationModel>> saturation;
};
struct GraysonStreedRecipe {
    thermo::VaporModel vapour = thermo::VaporModel::ideal_gas();
};
using SystemRecipe = std::variant<PengRobinsonRecipe, VanLaarRecipe, CubicOptions, ActivityOptions,
                                  IdealSolutionRecipe, GraysonStreedRecipe>;

class ThermoSystem {
public:
    // What the system owns besides its components, in the form the library's
    // SystemSpec borrows.
    struct Model {
        thermo::LiquidModel liquid = thermo::liquid::PhiPhi{};
        thermo::VaporModel vapour = thermo::VaporModel::equation_of_state(thermo::Eos::PR1976);
        thermo::MixingRule mixing_rule = thermo::MixingRule::Classical;
        std::optional<thermo::GeSpec> ge;
        Matrix kij;                       // empty = all zero
        ActivityData activity;            // the activity model's (or the GE rule's) inputs
        std::vector<thermo::SaturationModel> saturation;
        bool poynting = false;
        std::string label;                // the model part of the repr; empty for the two fixed systems
    };

    // Peng-Robinson in both phases, classical mixing, all kij zero; the
    // components are looked up by name, in order (the first miss fails, as
    // ThermoFailed with the lookup message).
    static Result<ThermoSystem> peng_robinson(std::span<const std::string> names);

    // van Laar liquid with an ideal-gas vapour for a binary pair; a12 and a21
    // are the dimensionless van Laar parameters in the given component order.
    static Result<ThermoSystem> van_laar(const std::array<std::string, 2>& names, double a12, double a21);

    // The general constructors. Components resolve in order: a name as in
    // peng_robinson, constants by thermo::component_from_constants (their
    // message as InvalidInput). Every other check is InvalidInput with the
    // library's text where the library has one (mixing-rule acceptance,
    // activity inputs, saturation coefficient counts):
    //   cubic: at least one component; eos_parameters n rows of 4 finite
    //   values; kij n x n of finite values; ge_model only with an
    //   excess-Gibbs-energy rule, ge_parameters only with ge_model, finite;
    //   solubility only with the ge_model RegularSolution, n finite values;
    //   the keyed parameters of a keyed ge_model (below); the rule accepted
    //   with the equation of state and its GE model inputs (liquid volumes
    //   from the components).
    //   activity: parameters only for the models that read them, finite and
    //   large enough; solubility only for RegularSolution, n finite values;
    //   molar volumes from the components for Wilson and RegularSolution;
    //   saturation n computable models matching each component's
    //   coefficients; poynting needs every component's liquid volume.
    //   A model that takes its parameters by key (NRTL: a, b, alpha;
    //   UNIQUAC: r, q, a, b) needs them as a mapping and a matrix model as a
    //   matrix. Keyed parameters are checked in order, each failure naming
    //   the key: no unknown or repeated key, no missing one, each matrix n x
    //   n and each list n values, every entry finite, alpha >= 0 off the
    //   diagonal, r and q > 0 (activity_parameters.cpp).
    static Result<ThermoSystem> cubic(std::span<const ComponentSource> components, const CubicOptions& options);
    static Result<ThermoSystem> activity(std::span<const ComponentSource> components, const ActivityOptions& options);
    static Result<ThermoSystem> ideal_solution(std::span<const ComponentSource> components, thermo::VaporModel vapour,
                                               const std::optional<std::vector<thermo::SaturationModel>>& saturation);
    static Result<ThermoSystem> grayson_streed(std::span<const ComponentSource> components,
                                               thermo::VaporModel vapour);

    // The constructor and choices that make this system again from the
    // constants of its components (thermo::constants_of): a cubic system's
    // eos_parameters carry the components' p1..p4; any other option is
    // absent when the system holds an empty matrix or list for it, which is
    // what leaving it out gives.
    SystemRecipe recipe() const;

    // The system of `recipe` over the components, resolved as the general
    // constructors resolve them, through the checks of the constructor the
    // recipe names. The fixed systems take components by constants too:
    // peng_robinson any number of them, van_laar exactly two ("van_laar needs
    // 2 components, got {n}").
    static Result<ThermoSystem> restore(std::span<const ComponentSource> components, const SystemRecipe& recipe);

    // The database's compound names in the order of its document, and one
    // compound's record (an unknown name fails as the constructors' lookup).
    static std::vector<std::string> database_names();
    static Result<thermo::Component> database_component(std::string_view name);

    std::span<const thermo::Component> components() const noexcept { return components_; }
    std::vector<std::string> component_names() const;
    const Model& model() const noexcept { return model_; }

    // The borrowing specification of every call; the second asks `interrupt`
    // to stop.
    thermo::SystemSpec spec() const noexcept;
    thermo::SystemSpec spec(Interrupt& interrupt) const noexcept;

    // Bubble temperature [K] at pressure p [kPa] for liquid composition x.
    // x must have one entry per component:
    // "composition has {len} entries but the system has {n} components".
    //
    // The solvers of these questions, and of liquid_stability, ask
    // `interrupt` between their steps; when it stops them the answer is its
    // Interrupted error.
    Result<BubblePoint> bubble_temperature(double p, std::span<const double> x, Interrupt interrupt = {}) const;

    // Bubble pressure [kPa] at temperature t [K] for liquid composition x.
    Result<BubblePoint> bubble_pressure(double t, std::span<const double> x, Interrupt interrupt = {}) const;

    // The questions below check their arguments in order, each as
    // InvalidInput: "temperature must be positive and finite, got {t} K",
    // "pressure must be positive and finite, got {p} kPa", the composition
    // length as above, "composition entries must be finite and non-negative,
    // got {v} at index {i}", "composition must have a positive sum". A
    // failure of the library is ThermoFailed with its text.

    // Dew temperature [K] at p and dew pressure [kPa] at t of the vapour y;
    // the point carries the incipient liquid x.
    Result<BubblePoint> dew_temperature(double p, std::span<const double> y, Interrupt interrupt = {}) const;
    Result<BubblePoint> dew_pressure(double t, std::span<const double> y, Interrupt interrupt = {}) const;

    // Isothermal flash of the feed z at (t, p).
    Result<thermo::FlashResult> flash(double t, double p, std::span<const double> z) const;

    // K-values of the liquid x at (t, p) and its incipient vapour.
    Result<thermo::EquilibriumRatios> k_values(double t, double p, std::span<const double> x) const;

    // ln phi of one phase: the liquid of an equation-of-state system, or the
    // vapour of any system (the ideal gas gives zeros). InvalidInput "ln_phi of
    // the liquid needs an equation-of-state liquid; this system's liquid is
    // {description}".
    Result<std::vector<double>> ln_phi(double t, double p, std::span<const double> composition,
                                       thermo::Phase phase) const;

    // ln gamma of the liquid x at t: the activity model, or zeros for an
    // ideal solution. InvalidInput "ln_gamma needs an activity-coefficient
    // liquid; this system's liquid is {description}".
    Result<std::vector<double>> ln_gamma(double t, std::span<const double> x) const;

    // ln phi_i of one phase of any model with its exact gradient in T, P and
    // the amounts (engine/thermo/fugacity_derivatives.hpp).
    Result<FugacityDerivatives> ln_phi_derivatives(double t, double p, std::span<const double> composition,
                                                   thermo::Phase phase) const;

    // Psat [kPa] of every component at t, by the system's saturation models.
    Result<std::vector<double>> saturation_pressure(double t) const;

    // The smallest tangent-plane distance of the liquid x at (t, p) and its
    // trial composition; negative when the liquid splits.
    Result<thermo::StabilityResult> liquid_stability(double t, double p, std::span<const double> x,
                                                     Interrupt interrupt = {}) const;

    // Molar enthalpy [J/mol] of one phase of the given composition (amounts
    // or mole fractions) at (t, p), relative to the pure components as ideal
    // gases at 298.15 K: thermo::phase_enthalpy, by the model whose fugacity
    // the K-values use (energy/system_enthalpy.cpp).
    Result<double> enthalpy(double t, double p, std::span<const double> composition, thermo::Phase phase) const;

    // The thermal condition q = (H_V - h_F)/(H_V - h_L) of the feed z at
    // (t, p): H_V the vapour enthalpy of z at its dew temperature, h_L the
    // liquid enthalpy at its bubble temperature, h_F the liquid's at or below
    // the bubble temperature, the vapour's at or above the dew temperature
    // and the flash's (1 - beta) h_L(x) + beta H_V(y) between them. After the
    // state checks, z must be mole fractions: a sum off 1 by more than 1e-6
    // is InvalidInput "feed composition must be mole fractions summing to 1,
    // got a sum of {sum} (a composition in percent must be divided by 100)"
    // (energy/feed_quality.cpp).
    Result<double> feed_quality(double t, double p, std::span<const double> z) const;

    // The stable phases of the feed z (mole fractions) at (t, p)
    // (engine/thermo/stable_flash.hpp).
    Result<std::vector<EquilibriumPhase>> stable_flash(double t, double p, std::span<const double> z,
                                                       Interrupt interrupt = {}) const;

    // "ThermoSystem(methanol, water)" for the two fixed systems;
    // "ThermoSystem(methanol, water; RKS1972, MHV2 with Wilson)" for the others.
    std::string repr() const;

private:
    ThermoSystem(std::vector<thermo::Component> components, Model model) noexcept;

    // The model of van_laar: van Laar liquid, ideal-gas vapour, the two parameters.
    static Model van_laar_model(double a12, double a21);

    Result<void> check_composition(std::span<const double> x) const;
    Result<void> check_state(std::optional<double> t, std::optional<double> p, std::span<const double> x) const;
    // The liquid's description for messages: "the equation of state PR1976",
    // "the activity model Wilson", "an ideal solution", "Grayson-Streed".
    std::string liquid_description() const;

    std::vector<thermo::Component> components_;
    Model model_;
};

// The most components a system takes: the solvers' work grows with the
// square of the count, and with this many no question takes much more than a
// tenth of a second. A constructor given more fails with InvalidInput
// "a system takes at most 100 components, got {n}" before looking any up.
inline constexpr std::size_t max_components = 100;

// Tolerance and iteration limit of the bubble- and dew-point solvers.
inline constexpr double bubble_tolerance = 1e-9;
inline constexpr unsigned bubble_iterations = 200;

}  // namespace kolvar::engine
