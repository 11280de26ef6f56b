// Compound names the built-in database does not know, handed to a resolver
// that the Python package registers: it answers a mapping of constants (the
// compound found elsewhere, or a database compound under another name) or a
// text, the whole message of the failed lookup. Without a resolver, and for
// every name the database knows, a name stays a name, so the engine looks it
// up exactly as before.
#pragma once

#include "toolkit/convert.hpp"
#include "toolkit/python.hpp"

#include "engine/thermo/system.hpp"

#include <string>
#include <vector>

namespace kolvar::bind {

// A name as a component source: the name itself, or the resolver's constants.
// False with an exception set when the resolver fails or answers a message
// (raised as the engine's lookup failure).
bool named_component(const std::string& name, engine::ComponentSource& out);

// TextList, each name then passed through named_component.
struct NameList {
    using Value = std::vector<engine::ComponentSource>;
    static bool convert(PyObject* object, Value& out);
};

// TextPair, each name then passed through named_component.
struct NamePair {
    using Value = std::vector<engine::ComponentSource>;
    static bool convert(PyObject* object, Value& out);
};

// _set_component_resolver(resolver): a callable (name, message) or None.
PyMethodDef set_component_resolver_def();

}  // namespace kolvar::bind
