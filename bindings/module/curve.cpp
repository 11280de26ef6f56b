// EquilibriumCurve: constructors (from a thermodynamic system among them),
// queries, attributes.
#include "module/classes.hpp"
#include "module/warnings.hpp"

#include "toolkit/class.hpp"

#include "engine/binary/curve_from_thermo.hpp"

#include "kolvar/format.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kolvar::engine {

// The curve, after kolvar.LiquidSplitWarning when its liquid splits (null
// when the warning filters made that an exception).
PyObject* to_python(CurveFromThermo&& made)
{
    const double pressure = made.curve.pressure().value_or(0.0);
    bind::Ref curve = bind::Ref::steal(bind::to_python(std::move(made.curve)));
    if (!curve || !made.split) return curve.release();
    const std::string message =
        format::text("the bubble-point liquid splits into two liquids for ", format::Fixed{made.split->low, 3},
                     " < x < ", format::Fixed{made.split->high, 3}, " at ", pressure,
                     " kPa: the equilibrium curve is metastable there");
    if (!bind::warn(bind::liquid_split_warning, message)) return nullptr;
    return curve.release();
}

}  // namespace kolvar::engine

namespace kolvar::bind {
namespace {

using engine::EquilibriumCurve;
using engine::ThermoSystem;

const auto curve_from_thermo = static_method(
    "EquilibriumCurve", "from_thermo",
    "Sweep bubble-temperature calculations over an even x grid of n_points points\n"
    "at `pressure` [kPa absolute]; the light component first in `system`.\n"
    "Issues kolvar.LiquidSplitWarning when the liquid splits on part of the grid.",
    [](const ThermoSystem& system, double pressure, std::uint64_t n_points, engine::Interrupt interrupt) {
        return engine::curve_and_split_from_thermo(system, pressure, n_points, interrupt);
    },
    required<Instance<ThermoSystem>>("system"), required<Float>("pressure"),
    optional<Count>("n_points", engine::binary_limits::default_curve_points))
    .without_lock();

const auto curve_from_points = static_method(
    "EquilibriumCurve", "from_points",
    "Build a curve from raw (x, y[, t]) samples such as digitised literature data.\n\n"
    "x must rise strictly from exactly 0 to exactly 1, y must be nondecreasing and\n"
    "within [0, 1]; t (bubble temperatures in K) and pressure (kPa) are optional.\n"
    "The samples are stored as given, without sorting or resampling.",
    [](std::vector<double> x, std::vector<double> y, std::optional<std::vector<double>> t,
       std::optional<double> pressure) {
        return EquilibriumCurve::from_points(std::move(x), std::move(y), t ? std::move(*t) : std::vector<double>{},
                                             pressure);
    },
    required<FloatList>("x"), required<FloatList>("y"), optional<Maybe<FloatList>>("t", std::nullopt),
    optional<Maybe<Float>>("pressure", std::nullopt));

const auto curve_constant_alpha = static_method(
    "EquilibriumCurve", "constant_alpha",
    "The constant-relative-volatility idealisation y = αx/(1 + (α−1)x),\n"
    "sampled on an even x grid of n_points points (step 0.01 by default).",
    [](double alpha, std::uint64_t n_points) { return EquilibriumCurve::constant_alpha(alpha, n_points); },
    required<Float>("alpha"), optional<Count>("n_points", engine::binary_limits::default_curve_points));

const auto curve_y_of_x = method<EquilibriumCurve>(
    "EquilibriumCurve", "y_of_x", "Interpolated equilibrium vapor fraction y*(x).",
    [](const EquilibriumCurve& curve, double x) { return curve.y_of_x(x); }, required<Float>("x"));

const auto curve_x_of_y = method<EquilibriumCurve>(
    "EquilibriumCurve", "x_of_y", "Interpolated inverse x*(y).",
    [](const EquilibriumCurve& curve, double y) { return curve.x_of_y(y); }, required<Float>("y"));

const auto curve_temperature_of_x = method<EquilibriumCurve>(
    "EquilibriumCurve", "temperature_of_x", "Interpolated bubble temperature T(x) [K].",
    [](const EquilibriumCurve& curve, double x) { return curve.temperature_of_x(x); }, required<Float>("x"));

const auto curve_relative_volatility = method<EquilibriumCurve>(
    "EquilibriumCurve", "relative_volatility", "Point relative volatility α(x) from the curve.",
    [](const EquilibriumCurve& curve, double x) { return curve.relative_volatility(x); }, required<Float>("x"));

const auto curve_rebuild = constructor<EquilibriumCurve>(
    "EquilibriumCurve", "",
    [](std::vector<double> x, std::vector<double> y, std::vector<double> t, std::optional<double> pressure) {
        return EquilibriumCurve::restore(std::move(x), std::move(y), std::move(t), pressure);
    },
    required<FloatList>("x"), required<FloatList>("y"), required<FloatList>("t"), required<Maybe<Float>>("pressure"));

std::string curve_repr(const EquilibriumCurve& curve)
{
    const auto n = static_cast<std::uint64_t>(curve.size());
    if (auto pressure = curve.pressure()) {
        return format::text("EquilibriumCurve(", n, " points, P = ", *pressure, " kPa)");
    }
    return format::text("EquilibriumCurve(", n, " points, synthetic)");
}

PyObject* make_equilibrium_curve()
{
    ClassSpec<EquilibriumCurve> spec{
        "A sampled binary equilibrium curve y*(x), with the bubble-point temperature\n"
        "profile T(x) when it came from a thermodynamic model.\n\n"
        "Samples lie on a strictly increasing x grid that includes both end points;\n"
        "queries interpolate linearly between samples, so the default grid of 101\n"
        "points reproduces the underlying model well below the line width of any\n"
        "plotted diagram."};
    spec.attributes = {
        computed<EquilibriumCurve>("x", "Sampled liquid compositions (strictly increasing, spans [0, 1]).",
                                   [](const EquilibriumCurve& c) { return to_python(c.x()); }),
        computed<EquilibriumCurve>("y", "Sampled equilibrium vapor compositions y*(x).",
                                   [](const EquilibriumCurve& c) { return to_python(c.y()); }),
        computed<EquilibriumCurve>("t", "Sampled bubble temperatures [K] (empty for synthetic curves).",
                                   [](const EquilibriumCurve& c) { return to_python(c.t()); }),
        computed<EquilibriumCurve>("pressure", "Column pressure [kPa], if the curve has one.",
                                   [](const EquilibriumCurve& c) { return to_python(c.pressure()); }),
    };
    spec.methods = {def<curve_from_thermo>(), def<curve_constant_alpha>(), def<curve_from_points>(),
                    def<curve_y_of_x>(), def<curve_x_of_y>(), def<curve_temperature_of_x>(),
                    def<curve_relative_volatility>()};
    spec.repr = repr_of<EquilibriumCurve, &curve_repr>;
    spec.rebuilt_by<curve_rebuild>();
    return create_class(std::move(spec));
}
const DeclaredClass<EquilibriumCurve> equilibrium_curve_class{"EquilibriumCurve", &make_equilibrium_curve};

}  // namespace

}  // namespace kolvar::bind
