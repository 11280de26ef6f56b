#include "module/conversions.hpp"

#include "toolkit/convert.hpp"
#include "toolkit/errors.hpp"
#include "toolkit/to_python.hpp"

#include <utility>

namespace kolvar::engine {

PyObject* to_python(const Point& point) { return bind::to_python(std::pair{point.x, point.y}); }
PyObject* to_python(const StageCount& pair) { return bind::to_python(std::pair{pair.reflux, pair.n_stages}); }

}  // namespace kolvar::engine

namespace kolvar::bind {

using engine::CondenserKind;

bool Condenser::convert(PyObject* object, CondenserKind& out)
{
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
