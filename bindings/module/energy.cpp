// Enthalpies and the feed condition.
#include "module/energy.hpp"

#include "module/classes.hpp"
#include "module/thermo_conversions.hpp"
#include "module/unit_note.hpp"

#include "toolkit/callable.hpp"

#include "engine/energy/column_balance.hpp"
#include "engine/energy/enthalpy_curve.hpp"
#include "engine/energy/feed_condition.hpp"
#include "engine/energy/ponchon_savarit.hpp"

#include "kolvar/format.hpp"

#include <string>
#include <tuple>
#include <vector>

namespace kolvar::bind {
namespace {

using engine::ThermoSystem;

// "liquid", "vapour" or "vapor"; anything else a ValueError naming them.
struct EnthalpyPhaseName {
    using Value = thermo::Phase;
    static bool convert(PyObject* object, thermo::Phase& out)
    {
        std::string name;
        if (!Text::convert(object, name)) return false;
        if (name == "liquid" || name == "vapour" || name == "vapor") {
            out = name == "liquid" ? thermo::Phase::Liquid : thermo::Phase::Vapor;
            return true;
        }
        raise(PyExc_ValueError,
              format::text("phase must be \"liquid\", \"vapour\" or \"vapor\", got ", format::Quoted{name}));
        return false;
    }
};

// About half a microsecond of work: the lock stays held.
const auto system_enthalpy = method<ThermoSystem>(
    "ThermoSystem", "enthalpy",
    "Molar enthalpy [J/mol] of one phase (\"liquid\" or \"vapour\"; \"vapor\" too) of\n"
    "the given composition at `t` [K] and `p` [kPa]. The reference state is each\n"
    "pure component as an ideal gas at 298.15 K. The enthalpy is the ideal-gas\n"
    "value from the components' `cp_coeffs` plus −RT² Σ z_i ∂ln(f_i/(z_i P))/∂T at\n"
    "fixed P and composition, f_i being the fugacity the K-values use.",
    [](const ThermoSystem& system, double t, double p, std::vector<double> composition, thermo::Phase phase) {
        return system.enthalpy(t, p, composition, phase);
    },
    required<Float>("t"), required<Float>("p"), required<Composition>("composition"),
    required<EnthalpyPhaseName>("phase"));

// A bubble point, a dew point and possibly a flash: tens of microseconds, so
// other threads run meanwhile.
const auto system_feed_quality = method<ThermoSystem>(
    "ThermoSystem", "feed_quality",
    "Thermal condition q of the feed `z` (mole fractions) at `t` [K] and `p` [kPa]:\n"
    "q = (H_V − h_F)/(H_V − h_L) with H_V the vapour enthalpy at the dew\n"
    "temperature, h_L the liquid enthalpy at the bubble temperature and h_F the\n"
    "feed's own (the flash's two phases between the two). 1 at the bubble point,\n"
    "0 at the dew point, above 1 subcooled and below 0 superheated. Issues\n"
    "kolvar.UnitWarning when no liquid of the system can be at `t` (a temperature\n"
    "in °C, most often).",
    [](const ThermoSystem& system, double t, double p, std::vector<double> z) {
        return engine::noted(system.feed_quality(t, p, z), system, t);
    },
    required<Float>("t"), required<Float>("p"), required<FloatList>("z"))
    .without_lock();

const auto system_implausible_temperature = method<ThermoSystem>(
    "ThermoSystem", "_implausible_temperature",
    "Why no liquid of the system can be at `t` [K] (\"74 K is below benzene's\n"
    "melting point (278.7 K)\"), or None: below every component's melting point or\n"
    "below 0.3·T_c of every component.",
    [](const ThermoSystem& system, double t) { return engine::implausible_temperature(system, t); },
    required<Float>("t"));

const auto feed_from_conditions = static_method(
    "Feed", "from_conditions",
    "The feed of a binary `system` at `temperature` [K] and `pressure` [kPa]:\n"
    "`Feed(rate, z, q)` with q = system.feed_quality(temperature, pressure,\n"
    "[z, 1 − z]); `rate` in kmol/h, `z` the light-component mole fraction.\n"
    "Issues kolvar.UnitWarning as `feed_quality` does.",
    [](const ThermoSystem& system, double rate, double z, double temperature, double pressure) {
        return engine::noted(engine::feed_from_conditions(system, rate, z, temperature, pressure), system,
                             temperature);
    },
    required<Instance<ThermoSystem>>("system"), required<Float>("rate"), required<Float>("z"),
    required<Float>("temperature"), required<Float>("pressure"))
    .without_lock();

// Five bubble or dew points and their enthalpies: tens of microseconds.
const auto column_energy_function = function(
    "_column_energy",
    "Flows and duties of a binary column at constant molar overflow; `kolvar.column_energy`\n"
    "documents it.",
    [](const ThermoSystem& system, const engine::BinaryColumn& column, double reflux) {
        return engine::column_energy(system, column, reflux);
    },
    required<Instance<ThermoSystem>>("system"), required<Instance<engine::BinaryColumn>>("column"),
    required<Float>("reflux"))
    .without_lock();

// A sweep of bubble points: the interrupt is asked between them.
const auto ponchon_savarit_function = function(
    "_ponchon_savarit",
    "The enthalpy-balanced (Ponchon–Savarit) design of a binary column;\n"
    "`kolvar.ponchon_savarit` documents it.",
    [](const ThermoSystem& system, const engine::BinaryColumn& column, double reflux, engine::Interrupt interrupt) {
        return engine::ponchon_savarit(system, column, reflux, interrupt);
    },
    required<Instance<ThermoSystem>>("system"), required<Instance<engine::BinaryColumn>>("column"),
    required<Float>("reflux"))
    .without_lock();

// The sweep of Ponchon-Savarit's tie lines, without the stepping.
const auto ponchon_savarit_min_reflux_function = function(
    "_ponchon_savarit_min_reflux",
    "The minimum reflux of the enthalpy-balanced design of a binary column: the\n"
    "`r_min` of `kolvar.ponchon_savarit` at any reflux, with its refusals.",
    [](const ThermoSystem& system, const engine::BinaryColumn& column, engine::Interrupt interrupt) {
        return engine::ponchon_savarit_min_reflux(system, column, interrupt);
    },
    required<Instance<ThermoSystem>>("system"), required<Instance<engine::BinaryColumn>>("column"))
    .without_lock();

using Samples = std::vector<double>;

const auto enthalpy_curve_function = function(
    "_enthalpy_curve",
    "The saturated lines of a binary system at `pressure` [kPa] on the grid of its\n"
    "equilibrium curve: (x, y, t, h_liquid, h_vapour), the tie line from (x_i,\n"
    "h_liquid_i) to (y_i, h_vapour_i) at the bubble temperature t_i [K]; enthalpies\n"
    "in J/mol.",
    [](const ThermoSystem& system, double pressure, std::uint64_t n_points,
       engine::Interrupt interrupt) -> engine::Result<std::tuple<Samples, Samples, Samples, Samples, Samples>> {
        auto sampled = engine::enthalpy_curve(system, pressure, n_points, interrupt);
        if (!sampled) return std::unexpected(std::move(sampled.error()));
        const auto& curve = sampled->curve;
        return std::tuple{Samples(curve.x().begin(), curve.x().end()), Samples(curve.y().begin(), curve.y().end()),
                          Samples(curve.t().begin(), curve.t().end()), std::move(sampled->liquid),
                          std::move(sampled->vapour)};
    },
    required<Instance<ThermoSystem>>("system"), required<Float>("pressure"),
    optional<Count>("n_points", engine::binary_limits::default_curve_points))
    .without_lock();

}  // namespace

PyMethodDef column_energy_def() { return def<column_energy_function>(); }
PyMethodDef ponchon_savarit_def() { return def<ponchon_savarit_function>(); }
PyMethodDef enthalpy_curve_def() { return def<enthalpy_curve_function>(); }
PyMethodDef ponchon_savarit_min_reflux_def() { return def<ponchon_savarit_min_reflux_function>(); }

std::vector<PyMethodDef> thermo_system_energy_methods()
{
    return {def<system_enthalpy>(), def<system_feed_quality>(), def<system_implausible_temperature>()};
}

PyMethodDef feed_from_conditions_def() { return def<feed_from_conditions>(); }

}  // namespace kolvar::bind
