// Creating the module and registering its names in order.
//
// Each entry makes one module attribute; registration stops at the first
// failure. Every registered name is appended to the module's __all__, which
// registration creates. The module refuses to initialise in a second
// interpreter and returns the same module object when initialised again in
// the interpreter that created it.
#pragma once

#include "toolkit/python.hpp"

#include <cstddef>
#include <span>

namespace kolvar::bind {

struct Entry {
    const char* name;
    // Makes the attribute's value (a new reference), or null with an
    // exception set. `slot` is the class slot in the module state for
    // classes, or -1.
    PyObject* (*make)();
    int slot = -1;
};

// A module function entry from a method-table record.
PyObject* make_function(const PyMethodDef& def);

PyObject* initialise_module(std::span<const Entry> entries);

}  // namespace kolvar::bind
