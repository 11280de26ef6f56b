#include "module/conversions.hpp"

#include "module/classes.hpp"

#include "toolkit/box.hpp"

#include "toolkit/convert.hpp"
#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"
#include "toolkit/to_python.hpp"

#include "kolvar/format.hpp"

#include <array>
#include <cstdint>
#include <utility>

namespace kolvar::engine {

PyObject* to_python(const Point& point) { return bind::to_python(std::pair{point.x, point.y}); }
PyObject* to_python(const StageCount& pair) { return bind::to_python(std::pair{pair.reflux, pair.n_stages}); }

}  // namespace kolvar::engine

namespace kolvar::bind {

using engine::CondenserKind;

bool XY::convert(PyObject* object, engine::Point& out)
{
    if (PyUnicode_Check(object) || !PySequence_Check(object)) return refuse_type(object, "Sequence");
    const Py_ssize_t size = PySequence_Size(object);
    if (size < 0) return false;
    if (size != 2) {
        raise(PyExc_ValueError,
              format::text("expected a sequence of length 2 (got ", static_cast<std::uint64_t>(size), ")"));
        return false;
    }
    std::array<double, 2> values{};
    for (Py_ssize_t i = 0; i < 2; ++i) {
        Ref item = Ref::steal(PySequence_GetItem(object, i));
        if (!item || !Float::convert(item.get(), values[static_cast<std::size_t>(i)])) return false;
    }
    out = {values[0], values[1]};
    return true;
}

bool Condenser::convert(PyObject* object, CondenserKind& out)
{
    PyTypeObject* kind_type = type_of<CondenserKind>();
    if (kind_type == nullptr) return false;
    if (PyObject_TypeCheck(object, kind_type)) {
        out = unbox<CondenserKind>(object);
        return true;
    }
    std::string text;
    if (!Text::convert(object, text)) return false;
    auto kind = engine::parse_condenser(text);
    if (!kind) {
        raise(PyExc_ValueError, kind.error());
        return false;
    }
    out = *kind;
    return true;
}

std::string Condenser::default_text(CondenserKind kind)
{
    return kind == CondenserKind::Partial ? "\"partial\"" : "\"total\"";
}

}  // namespace kolvar::bind
