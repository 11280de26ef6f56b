// The Python classes of kolvar._engine, in registration order, with the
// engine types they wrap and their makers.
#pragma once

#include "toolkit/convert.hpp"
#include "toolkit/python.hpp"
#include "toolkit/registry.hpp"

#include "engine/column/model.hpp"

#include <cstddef>

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

KOLVAR_PY_CLASS(engine::Feed, Feed);
KOLVAR_PY_CLASS(engine::BinaryColumn, BinaryColumn);
KOLVAR_PY_CLASS(engine::CondenserKind, CondenserKind);
KOLVAR_PY_CLASS(engine::Line, Line);

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

}  // namespace kolvar::bind
