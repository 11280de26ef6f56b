#include "toolkit/module.hpp"

#include "toolkit/errors.hpp"
#include "toolkit/ref.hpp"

#include "kolvar/format.hpp"

#include <cstddef>
#include <cstdint>

namespace kolvar::bind {
namespace {

// CPython numbers its interpreters in order of creation; the main
// interpreter, created first, is number 0.
constexpr std::int64_t main_interpreter = 0;

bool add_name(PyObject* module, PyObject* all, const char* name, Ref value, Listing listing = Listing::Public)
{
    if (listing == Listing::Private && name[0] != '_') {
        raise(PyExc_SystemError, format::text("kolvar._engine: private name ", name, " lacks its underscore"));
        return false;
    }
    if (!value || PyModule_AddObject(module, name, value.get()) < 0) return false;
    value.release();  // the module holds it now
    if (listing == Listing::Private) return true;
    Ref text = Ref::steal(PyUnicode_FromString(name));
    return text && PyList_Append(all, text.get()) == 0;
}

bool register_class(PyObject* module, PyObject* all, std::size_t slot, const ClassDeclaration* declaration)
{
    if (declaration == nullptr || declaration->make == nullptr) {
        raise(PyExc_SystemError, format::text("kolvar._engine: class slot ", static_cast<std::uint64_t>(slot),
                                              declaration == nullptr ? " is not declared" : " is declared twice"));
        return false;
    }
    Ref type = Ref::steal(declaration->make());
    if (!type) return false;
    module_state()->types[slot] = Ref::borrow(type.get()).release();
    if (declaration->exposure != Exposure::ModuleAttribute) return true;
    return add_name(module, all, declaration->name, std::move(type));
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

PyObject* initialise_module(std::span<const Entry> entries, std::span<const ClassDeclaration* const> classes,
                            ModuleState* (*prepare)(void*))
{
    const std::int64_t interpreter = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (interpreter < 0) return nullptr;
    if (interpreter != main_interpreter) {
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
    prepare(PyModule_GetState(module.get()))->classes = classes;
    if (PyState_AddModule(module.get(), module_definition()) < 0) return nullptr;
    if (!create_internal_fault_type()) return nullptr;

    Ref all = Ref::steal(PyList_New(0));
    if (!all) return nullptr;
    Py_INCREF(all.get());
    if (PyModule_AddObject(module.get(), "__all__", all.get()) < 0) {
        Py_DECREF(all.get());
        return nullptr;
    }
    bool registered = true;
    for (const Entry& entry : entries) {
        registered = registered &&
                     add_name(module.get(), all.get(), entry.name, Ref::steal(entry.make()), entry.listing);
    }
    for (std::size_t slot = 0; slot < classes.size(); ++slot) {
        registered = registered && register_class(module.get(), all.get(), slot, classes[slot]);
    }
    if (!registered) {
        PyState_RemoveModule(module_definition());
        return nullptr;
    }
    return module.release();
}

}  // namespace kolvar::bind
