// Per-interpreter state of the module: the type objects of the registered
// classes and the internal-fault exception type.
//
// Each engine type that Python sees is tied to its class by a specialisation
// of `PyClass<T>` giving its slot in the module state:
//
//   template <> struct PyClass<engine::Feed> { static constexpr std::size_t slot = 2; };
#pragma once

#include "toolkit/python.hpp"

#include <cstddef>

namespace kolvar::bind {

inline constexpr std::size_t max_classes = 16;

struct ModuleState {
    PyObject* types[max_classes];
    PyObject* internal_fault;
};

template <class T>
struct PyClass;  // specialised by the class declarations

template <class T>
concept Registered = requires { PyClass<T>::slot; };

// The module definition of the extension; defined with the module.
PyModuleDef* module_definition();

// The state of the module object of this interpreter.
ModuleState* module_state();

// Raises RuntimeError when the module's state is gone (interpreter shutdown).
PyTypeObject* missing_type();

// The registered class of T, or null with an exception set.
template <Registered T>
PyTypeObject* type_of()
{
    ModuleState* state = module_state();
    if (state == nullptr || state->types[PyClass<T>::slot] == nullptr) return missing_type();
    return reinterpret_cast<PyTypeObject*>(state->types[PyClass<T>::slot]);
}

}  // namespace kolvar::bind
