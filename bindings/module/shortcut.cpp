// The multicomponent shortcut design: its function and its result class.
#include "module/shortcut.hpp"

#include "module/classes.hpp"

#include "toolkit/class.hpp"

#include "engine/multicomponent/restore.hpp"

#include "kolvar/format.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kolvar::bind {
namespace {

using engine::ShortcutResult;
using engine::ThermoSystem;

// A key component: a str (its name) or an int (its index); bool refused.
struct Key {
    using Value = engine::ComponentKey;
    static bool convert(PyObject* object, Value& out)
    {
        if (PyUnicode_Check(object)) return Text::convert(object, out.emplace<std::string>());
        if (PyBool_Check(object) || !PyIndex_Check(object)) return refuse_type(object, "str or int");
        Ref index = Ref::steal(PyNumber_Index(object));
        if (!index) return false;
        const long long value = PyLong_AsLongLong(index.get());
        if (value == -1 && PyErr_Occurred()) return false;
        out = static_cast<std::int64_t>(value);
        return true;
    }
};

using OptionalFloat = Maybe<Float>;

const auto shortcut_function = function(
    "_shortcut",
    "Shortcut design of a multicomponent column (Fenske, Underwood, Gilliland,\n"
    "Kirkbride) on the system's bubble points; `kolvar.shortcut` documents it.",
    [](const ThermoSystem& system, double pressure, double feed_rate, std::vector<double> z,
       engine::ComponentKey light_key, engine::ComponentKey heavy_key, double light_recovery,
       double heavy_recovery, std::optional<double> reflux, std::optional<double> reflux_factor, double q,
       engine::Interrupt interrupt) {
        return engine::shortcut(system,
                                {.pressure = pressure,
                                 .feed_rate = feed_rate,
                                 .z = std::move(z),
                                 .light_key = std::move(light_key),
                                 .heavy_key = std::move(heavy_key),
                                 .light_recovery = light_recovery,
                                 .heavy_recovery = heavy_recovery,
                                 .reflux = reflux,
                                 .reflux_factor = reflux_factor,
                                 .q = q},
                                interrupt);
    },
    required<Instance<ThermoSystem>>("system"), required<Float>("pressure"), required<Float>("feed_rate"),
    required<FloatList>("z"), required<Key>("light_key"), required<Key>("heavy_key"),
    required<Float>("light_recovery"), required<Float>("heavy_recovery"),
    optional<OptionalFloat>("reflux", std::nullopt), optional<OptionalFloat>("reflux_factor", std::nullopt),
    optional<Float>("q", 1.0))
    .without_lock();

const auto shortcut_rebuild = constructor<ShortcutResult>(
    "ShortcutResult", "",
    [](double n_min, double r_min, double reflux, double n_stages, double rectifying_stages,
       std::uint64_t feed_stage, std::vector<double> distillate, std::vector<double> bottoms,
       double distillate_rate, double bottoms_rate, double top_temperature, double bottom_temperature,
       double condenser_duty, double reboiler_duty, std::vector<double> alpha) {
        return engine::restore_shortcut({n_min, r_min, reflux, n_stages, rectifying_stages, feed_stage,
                                         std::move(distillate), std::move(bottoms), distillate_rate, bottoms_rate,
                                         top_temperature, bottom_temperature, condenser_duty, reboiler_duty,
                                         std::move(alpha)});
    },
    required<Float>("n_min"), required<Float>("r_min"), required<Float>("reflux"), required<Float>("n_stages"),
    required<Float>("rectifying_stages"), required<Count>("feed_stage"), required<FloatList>("distillate"),
    required<FloatList>("bottoms"), required<Float>("distillate_rate"), required<Float>("bottoms_rate"),
    required<Float>("top_temperature"), required<Float>("bottom_temperature"), required<Float>("condenser_duty"),
    required<Float>("reboiler_duty"), required<FloatList>("alpha"));

// "ShortcutResult(4 components, N = 21.1, feed on 12, R = 1.187)".
std::string shortcut_repr(const ShortcutResult& r)
{
    return format::text("ShortcutResult(", static_cast<std::uint64_t>(r.distillate.size()), " components, N = ",
                        format::Fixed{r.n_stages, 1}, ", feed on ", r.feed_stage, ", R = ", format::Fixed{r.reflux, 3},
                        ")");
}

PyObject* make_shortcut_result()
{
    ClassSpec<ShortcutResult> spec{
        "A shortcut design of a multicomponent column with a total condenser:\n"
        "Fenske's minimum stages, Underwood's minimum reflux, Gilliland's stage\n"
        "count and Kirkbride's feed stage, with the product compositions and\n"
        "temperatures and the duties. Compositions and `alpha` are in the system's\n"
        "component order."};
    spec.attributes = {
        field<&ShortcutResult::n_min>("n_min", "Minimum number of equilibrium stages at total reflux (Fenske)."),
        field<&ShortcutResult::r_min>("r_min", "Minimum external reflux ratio (Underwood)."),
        field<&ShortcutResult::reflux>("reflux", "External reflux ratio `R = L/D` of the design."),
        field<&ShortcutResult::n_stages>(
            "n_stages", "Equilibrium stages at `reflux` (Gilliland), fractional, the partial\nreboiler included."),
        field<&ShortcutResult::rectifying_stages>("rectifying_stages",
                                                   "Stages above the feed (Kirkbride), fractional."),
        field<&ShortcutResult::feed_stage>("feed_stage",
                                           "Feed stage, 1-based from the top: `rectifying_stages` rounded, plus one."),
        field<&ShortcutResult::distillate>("distillate", "Distillate mole fractions."),
        field<&ShortcutResult::bottoms>("bottoms", "Bottoms mole fractions."),
        field<&ShortcutResult::distillate_rate>("distillate_rate", "Distillate flow `D` in **kmol/h**."),
        field<&ShortcutResult::bottoms_rate>("bottoms_rate", "Bottoms flow `B` in **kmol/h**."),
        field<&ShortcutResult::top_temperature>("top_temperature",
                                                "Bubble temperature of the distillate [K] (total condenser)."),
        field<&ShortcutResult::bottom_temperature>("bottom_temperature", "Bubble temperature of the bottoms [K]."),
        field<&ShortcutResult::condenser_duty>(
            "condenser_duty", "Heat removed by the total condenser in **kW**: `(R + 1) D [H_V(x_D) - h_L(x_D)]`."),
        field<&ShortcutResult::reboiler_duty>(
            "reboiler_duty", "Heat added in the reboiler in **kW**, from the column's overall energy balance."),
        field<&ShortcutResult::alpha>(
            "alpha",
            "Relative volatilities to the heavy key, the geometric mean of the\n"
            "distillate's and the bottoms' bubble points (the heavy key's is 1)."),
    };
    spec.rebuilt_by<shortcut_rebuild>();
    spec.repr = repr_of<ShortcutResult, &shortcut_repr>;
    return create_class(std::move(spec));
}
const DeclaredClass<ShortcutResult> shortcut_result_class{"ShortcutResult", &make_shortcut_result,
                                                          Exposure::ThroughOtherObjects};

}  // namespace

PyMethodDef shortcut_def() { return def<shortcut_function>(); }

}  // namespace kolvar::bind
