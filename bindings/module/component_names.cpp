#include "module/component_names.hpp"

#include "module/thermo_conversions.hpp"

#include "toolkit/callable.hpp"
#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"

#include "thermo/component.hpp"

#include <array>

namespace kolvar::bind {
namespace {

// The registered resolver, a strong reference, read and written only with
// the interpreter lock held; null when none is registered.
PyObject* resolver = nullptr;

struct ResolverArg {
    using Value = Borrowed;
    static bool convert(PyObject* object, Borrowed& out)
    {
        if (object != Py_None && PyCallable_Check(object) == 0) return refuse_type(object, "callable or None");
        out.object = object;
        return true;
    }
};

bool named_components(const std::vector<std::string>& names, std::vector<engine::ComponentSource>& out)
{
    out.clear();
    out.reserve(names.size());
    for (const std::string& name : names)
        if (!named_component(name, out.emplace_back())) return false;
    return true;
}

const auto set_resolver_function = function(
    "_set_component_resolver",
    "Registers the callable (name, message) that the constructors ask about a\n"
    "compound name the database does not know; None removes it.",
    [](Borrowed callable) -> PyObject* {
        PyObject* previous = resolver;
        resolver = callable.object == Py_None ? nullptr : callable.object;
        Py_XINCREF(resolver);
        Py_XDECREF(previous);
        Py_RETURN_NONE;
    },
    required<ResolverArg>("resolver"));

}  // namespace

bool named_component(const std::string& name, engine::ComponentSource& out)
{
    if (resolver == nullptr) {
        out = name;
        return true;
    }
    auto found = thermo::find_component(name);
    if (found) {
        out = name;
        return true;
    }
    Ref held = Ref::borrow(resolver);  // the resolver may replace itself
    Ref answer = Ref::steal(PyObject_CallFunction(held.get(), "s#s#", name.data(), static_cast<Py_ssize_t>(name.size()),
                                                  found.error().message.data(),
                                                  static_cast<Py_ssize_t>(found.error().message.size())));
    if (!answer) return false;
    if (PyUnicode_Check(answer.get())) {
        std::string message;
        if (!Text::convert(answer.get(), message)) return false;
        raise(engine::EngineError{engine::ErrorKind::ThermoFailed, std::move(message)});
        return false;
    }
    return component_constants(answer.get(), out.emplace<thermo::ComponentConstants>());
}

bool NameList::convert(PyObject* object, Value& out)
{
    std::vector<std::string> names;
    return TextList::convert(object, names) && named_components(names, out);
}

bool NamePair::convert(PyObject* object, Value& out)
{
    std::array<std::string, 2> pair;
    return TextPair::convert(object, pair) && named_components({pair[0], pair[1]}, out);
}

PyMethodDef set_component_resolver_def() { return def<set_resolver_function>(); }

}  // namespace kolvar::bind
