// ThermoSystem and the end-to-end smoke check.
#include "module/classes.hpp"
#include "module/thermo.hpp"

#include "toolkit/class.hpp"

#include <array>
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
    [](std::vector<std::string> names) { return ThermoSystem::peng_robinson(names); },
    required<TextList>("names"));

const auto system_van_laar = static_method(
    "ThermoSystem", "van_laar",
    "A γ–φ system for a binary pair: van Laar liquid and ideal-gas vapour; a12 and\n"
    "a21 are the dimensionless van Laar parameters in the given component order.",
    [](std::array<std::string, 2> names, double a12, double a21) { return ThermoSystem::van_laar(names, a12, a21); },
    required<TextPair>("names"), required<Float>("a12"), required<Float>("a21"));

const auto system_bubble_temperature = method<ThermoSystem>(
    "ThermoSystem", "bubble_temperature",
    "Bubble temperature [K] at pressure `p` [kPa] for liquid composition\n`x`. Returns `(T, y, k)`.",
    [](const ThermoSystem& system, double p, std::vector<double> x) { return system.bubble_temperature(p, x); },
    required<Float>("p"), required<FloatList>("x"));

const auto system_bubble_pressure = method<ThermoSystem>(
    "ThermoSystem", "bubble_pressure",
    "Bubble pressure [kPa] at temperature `t` [K] for liquid composition\n`x`. Returns `(P, y, k)`.",
    [](const ThermoSystem& system, double t, std::vector<double> x) { return system.bubble_pressure(t, x); },
    required<Float>("t"), required<FloatList>("x"));

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
    });

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
    spec.methods = {def<system_peng_robinson>(), def<system_van_laar>(), def<system_bubble_temperature>(),
                    def<system_bubble_pressure>()};
    spec.repr = repr_of<ThermoSystem, &system_repr>;
    return create_class(std::move(spec));
}
const DeclaredClass<ThermoSystem> thermo_system_class{"ThermoSystem", &make_thermo_system};

}  // namespace

PyMethodDef smoke_bubble_temperature_def() { return def<smoke_function>(); }

}  // namespace kolvar::bind
