// Python objects that own one engine value by copy.
#pragma once

#include "toolkit/convert.hpp"
#include "toolkit/python.hpp"
#include "toolkit/registry.hpp"

#include <new>
#include <utility>

namespace kolvar::bind {

template <class T>
struct Box {
    PyObject_HEAD
    T value;
};

template <class T>
const T& unbox(PyObject* object)
{
    return reinterpret_cast<Box<T>*>(object)->value;
}

// A new instance of `type` owning `value` (moved in, so nothing can throw
// once the object exists).
template <class T>
PyObject* box_into(PyTypeObject* type, T&& value)
{
    using V = std::remove_cvref_t<T>;
    V local(std::forward<T>(value));
    if (type == nullptr) return nullptr;  // the exception is set
    PyObject* object = PyType_GenericAlloc(type, 0);
    if (object == nullptr) return nullptr;
    new (&reinterpret_cast<Box<V>*>(object)->value) V(std::move(local));
    return object;
}

template <Registered T>
PyObject* box(T value)
{
    return box_into(type_of<T>(), std::move(value));
}

template <class T>
void dealloc_box(PyObject* object)
{
    PyTypeObject* type = Py_TYPE(object);
    reinterpret_cast<Box<T>*>(object)->value.~T();
    auto free_slot = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_slot(object);
    Py_DECREF(type);
}

template <Registered T>
bool Instance<T>::convert(PyObject* object, const T*& out)
{
    PyTypeObject* type = type_of<T>();
    if (type == nullptr) return false;
    if (!PyObject_TypeCheck(object, type)) return refuse_type(object, class_name<T>());
    out = &unbox<T>(object);
    return true;
}

template <Registered T>
bool Copied<T>::convert(PyObject* object, T& out)
{
    const T* value = nullptr;
    if (!Instance<T>::convert(object, value)) return false;
    out = *value;
    return true;
}

}  // namespace kolvar::bind
