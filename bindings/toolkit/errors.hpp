// Turning failures into Python exceptions. Only this layer raises.
#pragma once

#include "toolkit/python.hpp"

#include "engine/error.hpp"

#include <string_view>

namespace kolvar::bind {

// Raises the exception of the error's kind with its display text:
// ThermoFailed and NotConverged -> RuntimeError, InvalidInput and Infeasible -> ValueError.
// Interrupted leaves the pending exception of whatever stopped the work.
void raise(const engine::EngineError& error);

// Raises `type` with a text message.
void raise(PyObject* type, std::string_view message);

// If the pending exception is a TypeError, replaces it by a TypeError with
// the text "argument '{name}': " + its message and the original as __cause__.
// Any other pending exception is left as it is.
void prefix_type_error(const char* name);

// The exception type for a broken internal invariant; derived directly from
// BaseException so that ordinary `except Exception` handlers do not swallow it.
PyObject* internal_fault_type();
bool create_internal_fault_type();

// Runs `body` and keeps C++ exceptions from reaching the interpreter:
// std::bad_alloc becomes MemoryError, anything else the internal fault.
template <class Body>
PyObject* guarded(Body&& body) noexcept;

void raise_current_cpp_exception() noexcept;

template <class Body>
PyObject* guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        raise_current_cpp_exception();
        return nullptr;
    }
}

}  // namespace kolvar::bind
