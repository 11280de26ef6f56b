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
//
// Every class declares how its instances travel (pickle, copy; see
// pickling.hpp): a constructor declaration that rebuilds an instance from its
// state, running the checks that every instance passes, and, unless the
// state is the attributes in their declared order (the rebuild's parameters
// then carry the attributes' names), a function reading the state as a tuple:
//
//   spec.rebuilt_by<feed_new>();
//   spec.rebuilt_by<condenser_rebuild>(&condenser_state);
//
// A class without one fails the import with SystemError.
//
// Every class also gets to_dict() and _repr_html_() from its attributes (see
// plain.hpp), except an enumeration, which declares the plain form of its
// members instead:
//
//   spec.plain = &condenser_name;
//
// A class whose plain data is more than its attributes declares the dict
// itself (plain values, with the attributes' names where it has them):
//
//   spec.record = &system_record;
#pragma once

#include "toolkit/box.hpp"
#include "toolkit/callable.hpp"
#include "toolkit/errors.hpp"
#include "toolkit/pickling.hpp"
#include "toolkit/plain.hpp"
#include "toolkit/python.hpp"
#include "toolkit/ref.hpp"
#include "toolkit/to_python.hpp"

#include <cstring>
#include <string>
#include <type_traits>
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

// Makes an instance of `type` from a state tuple with the declaration's
// conversions and checks.
template <const auto& Decl>
PyObject* rebuild_entry(PyTypeObject* type, PyObject* state)
{
    return Decl.call(reinterpret_cast<PyObject*>(type), state, nullptr);
}

template <class T>
struct ClassSpec {
    explicit ClassSpec(std::string docstring) : doc(std::move(docstring)) {}

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

    // How instances travel: see above.
    Rebuild rebuild{};
    std::vector<const char*> rebuild_names;
    PyObject* (*state)(const T&) = nullptr;

    // An enumeration's plain form of a member (its name); null for a class
    // whose plain form is the dict of its attributes.
    PyObject* (*plain)(const T&) = nullptr;

    // The dict of to_dict() when it is not that of the attributes.
    PyObject* (*record)(const T&) = nullptr;

    template <const auto& Decl>
    void constructor()
    {
        constructor_entry = &new_entry<Decl>;
        signature = [](const char* name) { return Decl.signature(name); };
    }

    template <const auto& Decl>
    void rebuilt_by(PyObject* (*read)(const T&) = nullptr)
    {
        using D = std::remove_cvref_t<decltype(Decl)>;
        static_assert(std::is_same_v<typename D::Owner, New<T>>, "a rebuild is a constructor declaration of T");
        rebuild = {&rebuild_entry<Decl>, D::arity};
        rebuild_names.clear();
        for (const ParamInfo& param : Decl.info) rebuild_names.push_back(param.name);
        state = read;
    }
};

// What __reduce__ reads of a T: the function reading its state, or else its
// attributes; set when the class is created, for the life of the process.
template <class T>
struct StateReader {
    const std::vector<Attribute<T>>* attributes = nullptr;
    PyObject* (*read)(const T&) = nullptr;
};
template <class T>
inline StateReader<T> state_reader{};

template <Registered T>
PyObject* reduce_entry(PyObject* self, PyObject*)
{
    return guarded([&]() -> PyObject* {
        const T& value = unbox<T>(self);
        const StateReader<T>& reader = state_reader<T>;
        if (reader.read != nullptr) return reduction(class_name<T>(), Ref::steal(reader.read(value)));
        Ref state = Ref::steal(PyTuple_New(static_cast<Py_ssize_t>(reader.attributes->size())));
        if (!state) return nullptr;
        for (std::size_t i = 0; i < reader.attributes->size(); ++i) {
            PyObject* item = (*reader.attributes)[i].get(value);
            if (item == nullptr) return nullptr;
            PyTuple_SetItem(state.get(), static_cast<Py_ssize_t>(i), item);  // steals
        }
        return reduction(class_name<T>(), std::move(state));
    });
}

// The attributes of an instance as a dict of plain values (see plain.hpp).
template <Registered T>
PyObject* attribute_dict(PyObject* self)
{
    const T& value = unbox<T>(self);
    Ref dict = Ref::steal(PyDict_New());
    if (!dict) return nullptr;
    for (const Attribute<T>& attribute : *state_reader<T>.attributes) {
        Ref item = Ref::steal(attribute.get(value));
        Ref plain = Ref::steal(item ? plain_value(item.get()) : nullptr);
        if (!plain || PyDict_SetItemString(dict.get(), attribute.name, plain.get()) < 0) return nullptr;
    }
    return dict.release();
}

// The member's plain form of an enumeration.
template <class T>
inline PyObject* (*member_plain)(const T&) = nullptr;

// The declared record of a class (see ClassSpec::record), or null.
template <class T>
inline PyObject* (*declared_record)(const T&) = nullptr;

// The plain dict of an instance: its declared record, or its attributes.
template <Registered T>
PyObject* plain_dict(PyObject* self)
{
    if (declared_record<T> == nullptr) return attribute_dict<T>(self);
    Ref record = Ref::steal(declared_record<T>(unbox<T>(self)));
    return record ? plain_dict_of(record.get()) : nullptr;
}

template <Registered T>
PyObject* member_form(PyObject* self)
{
    return member_plain<T>(unbox<T>(self));
}

template <Registered T>
PyObject* to_dict_entry(PyObject* self, PyObject*)
{
    return guarded([&]() -> PyObject* { return plain_dict<T>(self); });
}

template <Registered T>
PyObject* repr_html_entry(PyObject* self, PyObject*)
{
    return guarded([&]() -> PyObject* {
        Ref plain = Ref::steal(plain_dict<T>(self));
        return plain ? html_table(class_name<T>(), plain.get()) : nullptr;
    });
}

// Whether the rebuild takes the attributes, by name and in order.
template <class T>
bool takes_attributes(const std::vector<Attribute<T>>& attributes, const std::vector<const char*>& names)
{
    if (attributes.size() != names.size()) return false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (std::strcmp(attributes[i].name, names[i]) != 0) return false;
    }
    return true;
}

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
    if (spec.rebuild.make == nullptr) {
        raise(PyExc_SystemError, std::string("kolvar._engine: class ") + name + " declares no rebuild");
        return nullptr;
    }
    if (spec.state == nullptr && !takes_attributes(spec.attributes, spec.rebuild_names)) {
        raise(PyExc_SystemError,
              std::string("kolvar._engine: the rebuild of ") + name + " does not take its attributes in order");
        return nullptr;
    }
    TypeParts parts{name, std::move(spec.doc), spec.signature ? spec.signature(name) : std::string(),
                    static_cast<int>(sizeof(Box<T>)), &dealloc_box<T>,
                    spec.constructor_entry, {}, std::move(spec.methods), spec.repr, spec.str, spec.compare,
                    spec.unhashable, spec.to_int};
    parts.methods.push_back(reduce_def(&reduce_entry<T>));
    parts.methods.push_back(copy_def());
    parts.methods.push_back(deepcopy_def());
    if (spec.plain == nullptr) {
        parts.methods.push_back(to_dict_def(&to_dict_entry<T>));
        parts.methods.push_back(repr_html_def(&repr_html_entry<T>));
    }
    member_plain<T> = spec.plain;
    declared_record<T> = spec.record;
    // Getters and __reduce__ point into the attributes for as long as the type lives.
    auto* kept = new std::vector<Attribute<T>>(std::move(spec.attributes));
    for (const Attribute<T>& attribute : *kept) {
        PyGetSetDef def{};
        def.name = attribute.name;
        def.get = &attribute_getter<T>;
        def.doc = attribute.doc;
        def.closure = const_cast<Attribute<T>*>(&attribute);
        parts.getset.push_back(def);
        note_unit(attribute.name, attribute.doc);
    }
    state_reader<T> = {kept, spec.state};
    Ref type = Ref::steal(create_type(std::move(parts)));
    if (!type) return nullptr;
    ModuleState* state = module_state();
    if (state == nullptr) return reinterpret_cast<PyObject*>(missing_type());
    state->rebuilds[PyClass<T>::slot] = spec.rebuild;
    state->plain_forms[PyClass<T>::slot] = spec.plain != nullptr ? &member_form<T> : &plain_dict<T>;
    return type.release();
}

}  // namespace kolvar::bind
