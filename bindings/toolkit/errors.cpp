#include "toolkit/errors.hpp"

#include "toolkit/ref.hpp"
#include "toolkit/registry.hpp"

#include <exception>
#include <new>
#include <string>

namespace kolvar::bind {

void raise(PyObject* type, std::string_view message)
{
    Ref text = Ref::steal(PyUnicode_FromStringAndSize(message.data(), static_cast<Py_ssize_t>(message.size())));
    if (!text) return;  // the interpreter's own error stands
    PyErr_SetObject(type, text.get());
}

void raise(const engine::EngineError& error)
{
    PyObject* type = nullptr;
    switch (error.kind) {
    case engine::ErrorKind::Interrupted:
        // The exception of the signal handler that stopped the work stands.
        if (PyErr_Occurred()) return;
        type = internal_fault_type();
        if (type == nullptr) type = PyExc_SystemError;
        break;
    case engine::ErrorKind::ThermoFailed:
    case engine::ErrorKind::NotConverged: type = PyExc_RuntimeError; break;
    case engine::ErrorKind::InvalidInput:
    case engine::ErrorKind::Infeasible: type = PyExc_ValueError; break;
    }
    raise(type, error.display());
}

void prefix_type_error(const char* name)
{
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    Ref cause_type = Ref::steal(type);
    Ref cause = Ref::steal(value);
    Ref cause_traceback = Ref::steal(traceback);
    if (cause && cause_traceback) PyException_SetTraceback(cause.get(), cause_traceback.get());

    Ref original = Ref::steal(cause ? PyObject_Str(cause.get()) : PyUnicode_FromString(""));
    if (!original) return;
    Ref message = Ref::steal(PyUnicode_FromFormat("argument '%s': %U", name, original.get()));
    if (!message) return;
    Ref replacement = Ref::steal(PyObject_CallFunctionObjArgs(PyExc_TypeError, message.get(), nullptr));
    if (!replacement) return;
    if (cause) PyException_SetCause(replacement.get(), cause.release());  // steals the cause
    PyErr_SetObject(PyExc_TypeError, replacement.get());
}

PyObject* internal_fault_type()
{
    ModuleState* state = module_state();
    return state ? state->internal_fault : nullptr;
}

bool create_internal_fault_type()
{
    PyObject* type = PyErr_NewExceptionWithDoc(
        "kolvar._engine.InternalFault",
        "A broken internal invariant of the native engine (a bug, never an input error).",
        PyExc_BaseException, nullptr);
    if (type == nullptr) return false;
    module_state()->internal_fault = type;
    return true;
}

void raise_current_cpp_exception() noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        PyObject* type = internal_fault_type();
        PyErr_SetString(type ? type : PyExc_SystemError, e.what());
    } catch (...) {
        PyObject* type = internal_fault_type();
        PyErr_SetString(type ? type : PyExc_SystemError, "unknown C++ exception in kolvar._engine");
    }
}

}  // namespace kolvar::bind
