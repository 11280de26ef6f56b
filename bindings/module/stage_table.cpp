// The stage table of a binary design, read from its stage profile.
#include "module/classes.hpp"
#include "module/energy.hpp"

#include "toolkit/box.hpp"
#include "toolkit/callable.hpp"

#include "engine/column/stage_profile.hpp"

#include <cstdint>
#include <tuple>
#include <variant>
#include <vector>

namespace kolvar::bind {
namespace {

using engine::McCabeThieleResult;
using engine::PonchonSavaritResult;

// A McCabeThieleResult or a PonchonSavaritResult, borrowed for the call.
struct Staircase {
    using Value = std::variant<const McCabeThieleResult*, const PonchonSavaritResult*>;
    static bool convert(PyObject* object, Value& out)
    {
        PyTypeObject* stepped = type_of<McCabeThieleResult>();
        PyTypeObject* balanced = type_of<PonchonSavaritResult>();
        if (stepped == nullptr || balanced == nullptr) return false;
        if (PyObject_TypeCheck(object, stepped)) {
            out = &unbox<McCabeThieleResult>(object);
            return true;
        }
        if (PyObject_TypeCheck(object, balanced)) {
            out = &unbox<PonchonSavaritResult>(object);
            return true;
        }
        return refuse_type(object, "McCabeThieleResult or PonchonSavaritResult");
    }
};

using Row = std::tuple<std::uint64_t, double, double, double, double, double>;

// A stage's bubble point each: the interrupt is asked by every one.
const auto stage_table_function = function(
    "_stage_table",
    "The stages of a binary design top-down as (stage, x, y, t, liquid_flow,\n"
    "vapour_flow); `ColumnDesign.stage_table` documents them.",
    [](const engine::ThermoSystem& system, const engine::BinaryColumn& column, Staircase::Value staircase,
       const engine::ColumnEnergy& energy, engine::Interrupt interrupt) -> engine::Result<std::vector<Row>> {
        auto profile = std::holds_alternative<const PonchonSavaritResult*>(staircase)
                           ? engine::Result<engine::StageProfile>(
                                 engine::ponchon_savarit_profile(*std::get<const PonchonSavaritResult*>(staircase)))
                           : engine::mccabe_thiele_profile(system, column,
                                                           *std::get<const McCabeThieleResult*>(staircase), energy,
                                                           interrupt);
        if (!profile) return std::unexpected(std::move(profile.error()));
        std::vector<Row> rows;
        rows.reserve(profile->stages.size());
        for (const engine::ProfileStage& stage : profile->stages)
            rows.emplace_back(stage.index, stage.x[0], stage.y[0], stage.t, stage.liquid_flow, stage.vapour_flow);
        return rows;
    },
    required<Instance<engine::ThermoSystem>>("system"), required<Instance<engine::BinaryColumn>>("column"),
    required<Staircase>("staircase"), required<Instance<engine::ColumnEnergy>>("energy"))
    .without_lock();

}  // namespace

PyMethodDef stage_table_def() { return def<stage_table_function>(); }

}  // namespace kolvar::bind
