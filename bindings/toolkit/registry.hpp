// The classes a module registers, and its per-interpreter state.
//
// A module lists the engine types that Python sees once, in registration
// order, and ties each type to its place in that list:
//
//   using ModuleClasses = ClassList<engine::ThermoSystem, engine::Feed, ...>;
//   template <class T>
//       requires(ModuleClasses::contains<T>)
//   struct PyClass<T> : SlotIn<ModuleClasses, T> {};
//
// A type's index in the list is its slot in the module state, and the list's
// size sizes the state, so no slot can lie outside it. Each class is declared
// once, in the file that binds it, with its name and its maker:
//
//   const DeclaredClass<engine::Feed> feed_class{"Feed", &make_feed};
//
// A class reachable only through other objects (their attributes and
// results) is declared with Exposure::ThroughOtherObjects: it gets its slot
// and type object but no module attribute. A declaration fills its slot
// while the extension is loaded; the module creates the classes in slot order
// when it initialises, and a slot left undeclared or declared twice fails the
// import with SystemError.
#pragma once

#include "toolkit/python.hpp"

#include <array>
#include <cstddef>
#include <span>
#include <type_traits>

namespace kolvar::bind {

template <class... Ts>
struct ClassList {
    static constexpr std::size_t size = sizeof...(Ts);

    template <class T>
    static constexpr bool contains = (std::is_same_v<T, Ts> || ...);

    template <class T>
        requires(contains<T>)
    static constexpr std::size_t index_of = [] {
        constexpr std::array<bool, size> same{std::is_same_v<T, Ts>...};
        std::size_t index = 0;
        while (!same[index]) ++index;
        return index;
    }();

private:
    template <class T>
    static constexpr std::size_t count = (std::size_t{std::is_same_v<T, Ts>} + ... + 0);
    static_assert(((count<Ts> == 1) && ...), "a class is listed twice");
};

// Specialised by the module for the types in its list (see above).
template <class T>
struct PyClass;

template <class List, class T>
struct SlotIn {
    using Classes = List;
    static constexpr std::size_t slot = List::template index_of<T>;
};

template <class T>
concept Registered = requires { PyClass<T>::slot; };

// Whether a class is a module attribute listed in __all__, or reachable only
// through other objects (attributes and results of the module's classes).
enum class Exposure { ModuleAttribute, ThroughOtherObjects };

struct ClassDeclaration {
    const char* name;
    // Makes the type object (a new reference), or null with an exception set.
    PyObject* (*make)();
    Exposure exposure;
};

// The declaration of each slot of a class list; null until declared. The
// table is constant-initialised, so declarations made while the extension
// loads find it ready whatever the order of their files.
template <class List>
inline constinit std::array<const ClassDeclaration*, List::size> class_declarations{};

// Marks a slot declared by more than one file; the module refuses to
// initialise with it.
inline constexpr ClassDeclaration declared_twice{"", nullptr, Exposure::ModuleAttribute};

template <Registered T>
class DeclaredClass {
public:
    DeclaredClass(const char* name, PyObject* (*make)(), Exposure exposure = Exposure::ModuleAttribute)
        : declaration_{name, make, exposure}
    {
        const ClassDeclaration*& entry = class_declarations<typename PyClass<T>::Classes>[PyClass<T>::slot];
        entry = entry == nullptr ? &declaration_ : &declared_twice;
    }
    DeclaredClass(const DeclaredClass&) = delete;
    DeclaredClass& operator=(const DeclaredClass&) = delete;

private:
    ClassDeclaration declaration_;
};

// The Python name of T's class ("Feed").
template <Registered T>
const char* class_name()
{
    const ClassDeclaration* declaration = class_declarations<typename PyClass<T>::Classes>[PyClass<T>::slot];
    return declaration != nullptr ? declaration->name : "";
}

// How a class makes an instance again from the state its __reduce__ gave:
// `make` takes the class and the state, a tuple already known to hold `size`
// items; null until the class is created.
struct Rebuild {
    PyObject* (*make)(PyTypeObject* type, PyObject* state) = nullptr;
    std::size_t size = 0;
};

// The plain Python form of an instance (a dict of its attributes, or an
// enumeration member's name): a new reference, or null with an exception set;
// null until the class is created.
using PlainForm = PyObject* (*)(PyObject* instance);

// The state every module shares: the type objects of its classes, their
// rebuilds and plain forms, one per slot, the declarations of the slots, and
// the internal-fault exception type.
struct ModuleState {
    PyObject* internal_fault;
    std::span<PyObject*> types;
    std::span<Rebuild> rebuilds;
    std::span<const ClassDeclaration* const> classes;
    std::span<PlainForm> plain_forms;
};

// The state's storage for a module with `Classes` classes; `types` views
// `slots`, `rebuilds` views `rebuild_slots` and `plain_forms` views
// `plain_slots`.
template <std::size_t Classes>
struct ModuleStorage {
    ModuleState state;
    std::array<PyObject*, Classes> slots;
    std::array<Rebuild, Classes> rebuild_slots;
    std::array<PlainForm, Classes> plain_slots;
};

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
    if (state == nullptr || PyClass<T>::slot >= state->types.size() || state->types[PyClass<T>::slot] == nullptr) {
        return missing_type();
    }
    return reinterpret_cast<PyTypeObject*>(state->types[PyClass<T>::slot]);
}

}  // namespace kolvar::bind
