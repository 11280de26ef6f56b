#include "toolkit/module.hpp"

#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"
#include "toolkit/registry.hpp"

#include <cstdint>

namespace kolvar::bind {
namespace {

// The interpreter that first initialised the module; the module's objects
// cannot be shared with another one.
std::int64_t owner_interpreter = -1;

bool register_entry(PyObject* module, PyObject* all, const Entry& entry)
{
    Ref value = Ref::steal(entry.make());
    if (!value) return false;
    if (entry.slot >= 0) {
        Py_INCREF(value.get());
        module_state()->types[entry.slot] = value.get();
    }
    if (PyModule_AddObject(module, entry.name, value.get()) < 0) return false;
    value.release();  // the module holds it now
    Ref name = Ref::steal(PyUnicode_FromString(entry.name));
    return name && PyList_Append(all, name.get()) == 0;
}

}  // namespace

PyObject* make_function(const PyMethodDef& def)
{
    auto* kept = new PyMethodDef(def);  // function objects point to it for the life of the process
    PyObject* module = PyState_FindModule(module_definition());
    Ref module_name = Ref::steal(module ? PyModule_GetNameObject(module) : nullptr);
    if (!module_name) return nullptr;
    return PyCFunction_NewEx(kept, module, module_name.get());
}

PyObject* initialise_module(std::span<const Entry> entries)
{
    const std::int64_t interpreter = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (interpreter < 0) return nullptr;
    if (owner_interpreter >= 0 && owner_interpreter != interpreter) {
        PyErr_SetString(PyExc_ImportError,
                        "kolvar._engine does not support subinterpreters: it can be imported in one "
                        "interpreter per process only");
        return nullptr;
    }
    if (PyObject* existing = PyState_FindModule(module_definition())) {
        Py_INCREF(existing);
        return existing;
    }

    Ref module = Ref::steal(PyModule_Create(module_definition()));
    if (!module) return nullptr;
    if (PyState_AddModule(module.get(), module_definition()) < 0) return nullptr;
    owner_interpreter = interpreter;
    if (!create_internal_fault_type()) return nullptr;

    Ref all = Ref::steal(PyList_New(0));
    if (!all) return nullptr;
    Py_INCREF(all.get());
    if (PyModule_AddObject(module.get(), "__all__", all.get()) < 0) {
        Py_DECREF(all.get());
        return nullptr;
    }
    for (const Entry& entry : entries) {
        if (!register_entry(module.get(), all.get(), entry)) {
            PyState_RemoveModule(module_definition());
            return nullptr;
        }
    }
    return module.release();
}

}  // namespace kolvar::bind
