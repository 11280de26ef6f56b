// Results handed back to Python: always new objects built from copies.
//
//   double -> float, bool -> bool, unsigned -> int, std::string -> str,
//   std::optional<T> -> T or None, std::pair / std::tuple -> tuple,
//   std::vector<T> and std::span<const T> -> list, registered engine values -> new instances,
//   engine::Result<T> -> T or the exception of the error's kind.
#pragma once

#include "toolkit/box.hpp"
#include "toolkit/errors.hpp"
#include "toolkit/python.hpp"
#include "toolkit/ref.hpp"

#include "engine/error.hpp"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace kolvar::bind {

inline PyObject* to_python(PyObject* object) { return object; }  // already a new reference
inline PyObject* to_python(double value) { return PyFloat_FromDouble(value); }
inline PyObject* to_python(bool value) { return PyBool_FromLong(value ? 1 : 0); }
inline PyObject* to_python(std::uint64_t value) { return PyLong_FromUnsignedLongLong(value); }
inline PyObject* to_python(const std::string& value)
{
    return PyUnicode_FromStringAndSize(value.data(), static_cast<Py_ssize_t>(value.size()));
}

template <Registered T>
PyObject* to_python(const T& value)
{
    return box(T(value));
}
template <Registered T>
PyObject* to_python(T&& value)
{
    return box(std::move(value));
}

template <class T>
PyObject* to_python(const std::optional<T>& value);
template <class A, class B>
PyObject* to_python(const std::pair<A, B>& value);
template <class... Ts>
PyObject* to_python(const std::tuple<Ts...>& value);
template <class T>
PyObject* to_python(const std::vector<T>& values);
template <class T>
PyObject* to_python(std::span<const T> values);
template <class T>
PyObject* to_python(engine::Result<T>&& result);

template <class T>
PyObject* to_python(const std::optional<T>& value)
{
    if (!value) Py_RETURN_NONE;
    return to_python(*value);
}

// Builds a tuple from already converted items; null if any item failed.
inline PyObject* tuple_of(std::initializer_list<PyObject*> items)
{
    bool ok = true;
    for (PyObject* item : items) ok = ok && item != nullptr;
    PyObject* tuple = ok ? PyTuple_New(static_cast<Py_ssize_t>(items.size())) : nullptr;
    Py_ssize_t i = 0;
    for (PyObject* item : items) {
        if (tuple != nullptr) {
            PyTuple_SetItem(tuple, i++, item);  // steals
        } else {
            Py_XDECREF(item);
        }
    }
    return tuple;
}

template <class A, class B>
PyObject* to_python(const std::pair<A, B>& value)
{
    return tuple_of({to_python(value.first), to_python(value.second)});
}

template <class... Ts>
PyObject* to_python(const std::tuple<Ts...>& value)
{
    return std::apply([](const auto&... items) { return tuple_of({to_python(items)...}); }, value);
}

template <class T>
PyObject* to_python(std::span<const T> values)
{
    Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(values.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < values.size(); ++i) {
        PyObject* item = to_python(values[i]);
        if (item == nullptr) return nullptr;
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);  // steals
    }
    return list.release();
}

template <class T>
PyObject* to_python(const std::vector<T>& values)
{
    return to_python(std::span<const T>(values));
}

template <class T>
PyObject* to_python(engine::Result<T>&& result)
{
    if (!result) {
        raise(result.error());
        return nullptr;
    }
    if constexpr (std::is_void_v<T>) {
        Py_RETURN_NONE;
    } else {
        return to_python(std::move(*result));
    }
}

}  // namespace kolvar::bind
