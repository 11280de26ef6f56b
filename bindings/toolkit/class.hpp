// Declaring a Python class over an engine value type T.
//
//   PyObject* make_feed()
//   {
//       ClassSpec<engine::Feed> spec{"A single feed to a binary column..."};
//       spec.constructor<feed_new>();
//       spec.attributes = {field<&engine::Feed::rate>("rate", "Feed molar flow `F` in **kmol/h**."), ...};
//       spec.repr = repr_of<engine::Feed, &feed_repr>;
//       return create_class(std::move(spec));
//   }
//   const DeclaredClass<engine::Feed> feed_class{"Feed", &make_feed};
//
// Instances own a copy of T and carry no __dict__; attributes are read-only
// getters that build a new Python object from a copy on every read. The type
// takes the name of T's declaration and is named "builtins.<name>". A class
// with a constructor carries its text signature, for inspect.signature; one
// without refuses instantiation with TypeError "No constructor defined for
// <name>".
#pragma once

#include "toolkit/box.hpp"
#include "toolkit/callable.hpp"
#include "toolkit/python.hpp"
#include "toolkit/to_python.hpp"

#include <string>
#include <vector>

namespace kolvar::bind {

template <class T>
struct Attribute {
    const char* name;
    const char* doc;
    PyObject* (*get)(const T&);
};

// A read-only attribute reading one field.
template <auto Member>
struct MemberTraits;
template <class T, class F, F T::*Member>
struct MemberTraits<Member> {
    using Owner = T;
    static PyObject* read(const T& value) { return to_python(value.*Member); }
};

template <auto Member>
Attribute<typename MemberTraits<Member>::Owner> field(const char* name, const char* doc)
{
    return {name, doc, &MemberTraits<Member>::read};
}

// A read-only attribute computed by a function of the value.
template <class T>
Attribute<T> computed(const char* name, const char* doc, PyObject* (*get)(const T&))
{
    return {name, doc, get};
}

// A repr/str slot from a function returning the text.
template <class T, std::string (*Text)(const T&)>
PyObject* repr_of(PyObject* self)
{
    return guarded([&]() -> PyObject* { return to_python(Text(unbox<T>(self))); });
}

template <class T>
struct ClassSpec {
    explicit ClassSpec(std::string doc) : doc(std::move(doc)) {}

    std::string doc;
    newfunc constructor_entry = nullptr;  // null: no constructor
    std::string (*signature)(const char* name) = nullptr;  // the constructor's, shown under the class name
    std::vector<Attribute<T>> attributes;
    std::vector<PyMethodDef> methods;
    reprfunc repr = nullptr;
    reprfunc str = nullptr;
    richcmpfunc compare = nullptr;
    bool unhashable = false;
    unaryfunc to_int = nullptr;

    template <const auto& Decl>
    void constructor()
    {
        constructor_entry = &new_entry<Decl>;
        signature = [](const char* name) { return Decl.signature(name); };
    }
};

struct TypeParts {
    const char* name;
    std::string doc;
    std::string signature;  // "Feed(rate, z, q=1.0)", or empty
    int basicsize;
    destructor dealloc;
    newfunc constructor_entry;
    std::vector<PyGetSetDef> getset;  // without the terminator
    std::vector<PyMethodDef> methods;  // without the terminator
    reprfunc repr;
    reprfunc str;
    richcmpfunc compare;
    bool unhashable;
    unaryfunc to_int;
};

// Creates the heap type; null with an exception set on failure.
PyObject* create_type(TypeParts parts);

template <class T>
PyObject* attribute_getter(PyObject* self, void* closure)
{
    auto* attribute = static_cast<const Attribute<T>*>(closure);
    return guarded([&]() -> PyObject* { return attribute->get(unbox<T>(self)); });
}

template <class T>
PyObject* create_class(ClassSpec<T> spec)
{
    const char* name = class_name<T>();
    TypeParts parts{name, std::move(spec.doc), spec.signature ? spec.signature(name) : std::string(),
                    static_cast<int>(sizeof(Box<T>)), &dealloc_box<T>,
                    spec.constructor_entry, {}, std::move(spec.methods), spec.repr, spec.str, spec.compare,
                    spec.unhashable, spec.to_int};
    for (const Attribute<T>& attribute : spec.attributes) {
        auto* kept = new Attribute<T>(attribute);  // lives as long as the type
        PyGetSetDef def{};
        def.name = attribute.name;
        def.get = &attribute_getter<T>;
        def.doc = attribute.doc;
        def.closure = kept;
        parts.getset.push_back(def);
    }
    return create_type(std::move(parts));
}

}  // namespace kolvar::bind
