// Conversions of the module's own value types that are not classes.
#pragma once

#include "toolkit/python.hpp"

#include "engine/binary/point.hpp"
#include "engine/binary/total_reflux.hpp"
#include "engine/column.hpp"

#include <string>

namespace kolvar::engine {

// Points of the diagram and sweep pairs read as 2-tuples of floats.
PyObject* to_python(const Point& point);
PyObject* to_python(const StageCount& pair);

}  // namespace kolvar::engine

namespace kolvar::bind {

// A point of the diagram: a sequence of two floats, (x, y).
struct XY {
    using Value = engine::Point;
    static bool convert(PyObject* object, engine::Point& out);
};

// The condenser of a column or design: a CondenserKind member, or its text
// parsed as it is converted: "total" or "partial" in any ASCII case, any
// other text a ValueError.
struct Condenser {
    using Value = engine::CondenserKind;
    static bool convert(PyObject* object, engine::CondenserKind& out);
    static std::string default_text(engine::CondenserKind kind);
};

}  // namespace kolvar::bind
