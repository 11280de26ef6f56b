// The Python classes of kolvar._engine, in registration order, with the
// engine types they wrap and their makers.
#pragma once

#include "toolkit/convert.hpp"
#include "toolkit/python.hpp"
#include "toolkit/registry.hpp"

#include "engine/binary/equilibrium.hpp"
#include "engine/binary/mccabe_thiele.hpp"
#include "engine/binary/point.hpp"
#include "engine/binary/rmin.hpp"
#include "engine/binary/total_reflux.hpp"
#include "engine/column.hpp"
#include "engine/thermo/system.hpp"

#include <cstddef>

namespace kolvar::engine {

// Points of the diagram and sweep pairs read as 2-tuples of floats.
PyObject* to_python(const Point& point);
PyObject* to_python(const StageCount& pair);

}  // namespace kolvar::engine

namespace kolvar::bind {

// Slots of the classes in the module state; also their registration order.
enum ClassSlot : int {
    ThermoSystemSlot,
    EquilibriumCurveSlot,
    FeedSlot,
    BinaryColumnSlot,
    CondenserKindSlot,
    McCabeThieleSpecSlot,
    LineSlot,
    StagePointSlot,
    RminResultSlot,
    McCabeThieleResultSlot,
    TotalRefluxResultSlot,
};

#define KOLVAR_PY_CLASS(Type, Name)                              \
    template <>                                                  \
    struct PyClass<Type> {                                       \
        static constexpr std::size_t slot = Name##Slot;          \
        static constexpr const char* name = #Name;               \
    }

KOLVAR_PY_CLASS(engine::ThermoSystem, ThermoSystem);
KOLVAR_PY_CLASS(engine::Feed, Feed);
KOLVAR_PY_CLASS(engine::BinaryColumn, BinaryColumn);
KOLVAR_PY_CLASS(engine::CondenserKind, CondenserKind);
KOLVAR_PY_CLASS(engine::Line, Line);
KOLVAR_PY_CLASS(engine::EquilibriumCurve, EquilibriumCurve);
KOLVAR_PY_CLASS(engine::McCabeThieleSpec, McCabeThieleSpec);
KOLVAR_PY_CLASS(engine::StagePoint, StagePoint);
KOLVAR_PY_CLASS(engine::RminResult, RminResult);
KOLVAR_PY_CLASS(engine::McCabeThieleResult, McCabeThieleResult);
KOLVAR_PY_CLASS(engine::TotalRefluxResult, TotalRefluxResult);

// The condenser text of a column or design, parsed as it is converted:
// "total" or "partial" in any ASCII case, anything else a ValueError.
struct Condenser {
    using Value = engine::CondenserKind;
    static bool convert(PyObject* object, engine::CondenserKind& out);
    static std::string default_text(engine::CondenserKind kind);
};

PyObject* make_feed_class();
PyObject* make_binary_column_class();
PyObject* make_condenser_kind_class();
PyObject* make_line_class();
PyObject* make_equilibrium_curve_class();
PyObject* make_mccabe_thiele_spec_class();
PyObject* make_stage_point_class();
PyObject* make_rmin_result_class();
PyObject* make_mccabe_thiele_result_class();
PyObject* make_total_reflux_result_class();

}  // namespace kolvar::bind
