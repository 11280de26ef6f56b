#include "toolkit/pickling.hpp"

#include "toolkit/callable.hpp"
#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"
#include "toolkit/registry.hpp"

#include "kolvar/format.hpp"

#include <string>
#include <string_view>

namespace kolvar::bind {
namespace {

// Replaces the pending exception (an OverflowError) by the ValueError
// "the state of {name} holds an integer out of range ({its text})": a number
// out of range in a stored state is a bad value like any other, not an
// arithmetic overflow of the caller's.
void as_value_error(std::string_view name)
{
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    Ref cause_type = Ref::steal(type);
    Ref cause = Ref::steal(value);
    Ref cause_traceback = Ref::steal(traceback);
    Ref text = Ref::steal(cause ? PyObject_Str(cause.get()) : PyUnicode_FromString(""));
    Ref bytes = Ref::steal(text ? PyUnicode_AsUTF8String(text.get()) : nullptr);
    const char* original = bytes ? PyBytes_AsString(bytes.get()) : nullptr;
    if (original == nullptr) return;
    raise(PyExc_ValueError,
          format::text("the state of ", name, " holds an integer out of range (", std::string_view(original), ")"));
}

PyObject* rebuild_instance(std::string_view name, PyObject* state)
{
    ModuleState* module = module_state();
    if (module == nullptr) return reinterpret_cast<PyObject*>(missing_type());
    std::size_t slot = 0;
    while (slot < module->classes.size() &&
           !(module->classes[slot] != nullptr && name == std::string_view(module->classes[slot]->name))) {
        ++slot;
    }
    if (slot == module->classes.size()) {
        raise(PyExc_ValueError, format::text("kolvar._engine has no class ", format::Quoted{name}, " to rebuild"));
        return nullptr;
    }
    const Rebuild& rebuild = module->rebuilds[slot];
    PyObject* type = module->types[slot];
    if (rebuild.make == nullptr || type == nullptr) {
        raise(PyExc_SystemError, format::text("kolvar._engine: class ", name, " has no rebuild"));
        return nullptr;
    }
    const Py_ssize_t size = PyTuple_Size(state);
    if (size < 0) return nullptr;
    if (static_cast<std::size_t>(size) != rebuild.size) {
        raise(PyExc_ValueError, format::text("the state of ", name, " must have ", static_cast<std::uint64_t>(rebuild.size),
                                             " items, got ", static_cast<std::uint64_t>(size)));
        return nullptr;
    }
    PyObject* made = rebuild.make(reinterpret_cast<PyTypeObject*>(type), state);
    if (made == nullptr && PyErr_ExceptionMatches(PyExc_OverflowError)) as_value_error(name);
    return made;
}

const auto rebuild_function = function(
    rebuild_function_name,
    "Rebuild an instance of the named class from the state its __reduce__ gave\n"
    "(pickle calls this), with the checks of its constructor.",
    [](std::string name, Borrowed state) { return rebuild_instance(name, state.object); },
    required<Text>("class_name"), required<TupleObject>("state"));

PyObject* same_object(PyObject* self, PyObject*)
{
    Py_INCREF(self);
    return self;
}

}  // namespace

PyMethodDef rebuild_def() { return def<rebuild_function>(); }

PyObject* reduction(const char* class_name, Ref state)
{
    if (!state) return nullptr;
    PyObject* module = PyState_FindModule(module_definition());
    if (module == nullptr) return reinterpret_cast<PyObject*>(missing_type());
    Ref rebuild = Ref::steal(PyObject_GetAttrString(module, rebuild_function_name));
    // One interned name per class, which pickle writes once per stream.
    Ref name = Ref::steal(PyUnicode_InternFromString(class_name));
    if (!rebuild || !name) return nullptr;
    return Py_BuildValue("(O(OO))", rebuild.get(), name.get(), state.get());
}

PyMethodDef reduce_def(PyCFunction entry)
{
    return {"__reduce__", entry, METH_NOARGS,
            "__reduce__($self, /)\n--\n\nThe rebuild function and its arguments, for pickle."};
}

PyMethodDef copy_def()
{
    return {"__copy__", &same_object, METH_NOARGS,
            "__copy__($self, /)\n--\n\nThe instance itself: instances are immutable."};
}

PyMethodDef deepcopy_def()
{
    return {"__deepcopy__", &same_object, METH_O,
            "__deepcopy__($self, memo, /)\n--\n\nThe instance itself: instances are immutable."};
}

}  // namespace kolvar::bind
