// Pickling and copying instances.
//
// An instance reduces to the module's private function _rebuild and the
// arguments (class name, state): pickle stores the function by its name,
// kolvar._engine._rebuild, so that any process importing kolvar can read the
// value back, although the classes themselves are named after builtins. The
// state is a tuple of plain Python values and nested instances (which pickle
// reduces in turn). _rebuild finds the class by name among all the module's
// classes, exposed or not, checks the state's length and makes the instance
// through the class's rebuild declaration, so a damaged or crafted state gets
// the same TypeError or ValueError as a bad constructor argument and never
// makes an instance that breaks its class's invariants.
//
// Instances are immutable, so copy.copy and copy.deepcopy return the instance
// itself.
#pragma once

#include "toolkit/python.hpp"
#include "toolkit/ref.hpp"

namespace kolvar::bind {

// The module attribute that rebuilds instances: _rebuild(class_name, state).
inline constexpr const char* rebuild_function_name = "_rebuild";
PyMethodDef rebuild_def();

// (_rebuild, (class_name, state)), the value of __reduce__; null with the
// exception set when `state` is null or anything fails.
PyObject* reduction(const char* class_name, Ref state);

// The method-table entries that every class gets.
PyMethodDef reduce_def(PyCFunction entry);
PyMethodDef copy_def();
PyMethodDef deepcopy_def();

}  // namespace kolvar::bind
