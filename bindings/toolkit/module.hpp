// Creating the module and registering its names in order.
//
// The module's functions and values come first, as entries, each making one
// module attribute; then its classes, in the order of its class list. Every
// registered name is appended to the module's __all__, which registration
// creates, except private entries; a class exposed only through other objects
// gets its slot but no name. Registration stops at the first failure.
//
// Only the main interpreter may initialise the module: the module's types
// and tables are built once per process, for one interpreter. Initialising it
// again in the main interpreter returns the same module object.
#pragma once

#include "toolkit/python.hpp"
#include "toolkit/registry.hpp"

#include <new>
#include <span>

namespace kolvar::bind {

// Whether a module attribute is one of the module's names, listed in
// __all__, or a private helper (its name begins with an underscore) that the
// module's own objects use.
enum class Listing { Public, Private };

struct Entry {
    const char* name;
    // Makes the attribute's value (a new reference), or null with an
    // exception set.
    PyObject* (*make)();
    Listing listing = Listing::Public;
};

// A module function entry from a method-table record.
PyObject* make_function(const PyMethodDef& def);

// The definition of a module whose state holds the classes of `Classes`.
template <class Classes>
PyModuleDef define_module(const char* name, const char* doc)
{
    return PyModuleDef{
        .m_base = PyModuleDef_HEAD_INIT,
        .m_name = name,
        .m_doc = doc,
        .m_size = sizeof(ModuleStorage<Classes::size>),
        .m_methods = nullptr,
        .m_slots = nullptr,
        .m_traverse = nullptr,
        .m_clear = nullptr,
        .m_free = nullptr,
    };
}

// Lays out the state in the memory CPython allocated for it (see define_module).
template <std::size_t Classes>
ModuleState* prepare_state(void* memory)
{
    auto* storage = new (memory) ModuleStorage<Classes>{};
    storage->state.types = storage->slots;
    storage->state.rebuilds = storage->rebuild_slots;
    storage->state.plain_forms = storage->plain_slots;
    return &storage->state;
}

PyObject* initialise_module(std::span<const Entry> entries, std::span<const ClassDeclaration* const> classes,
                            ModuleState* (*prepare)(void*));

template <class Classes>
PyObject* initialise_module(std::span<const Entry> entries)
{
    return initialise_module(entries, class_declarations<Classes>, &prepare_state<Classes::size>);
}

}  // namespace kolvar::bind
