// Instances as plain Python data and as HTML tables.
//
// Every class with attributes gets two methods from its attribute list, the
// list that __reduce__ also reads:
//
//   to_dict()      {attribute name: plain value}, in the attributes' order.
//                  Plain values are what json.dumps writes: float, int, bool,
//                  str, None, lists and dicts. A nested instance becomes its
//                  own dict, an enumeration member its name ("Total"), a tuple
//                  a list, and a NaN or infinite float None (JSON has neither).
//   _repr_html_()  the same data as a compact table for notebooks: numbers
//                  to six significant digits and right-aligned, nested
//                  instances as nested tables, a list of instances as one
//                  table with a row each, long lists shortened, None as a
//                  dash; each attribute's unit, read from its docstring
//                  ("... [K]", "... in **kmol/h**"), beside its name.
//
// An enumeration declares its plain form instead (ClassSpec::plain) and gets
// neither method.
#pragma once

#include "toolkit/python.hpp"

namespace kolvar::bind {

// The plain form of `value` (see above): a new reference, or null with an
// exception set.
PyObject* plain_value(PyObject* value);

// A new dict of the plain forms of a dict's values, nested dicts too.
PyObject* plain_dict_of(PyObject* dict);

// The HTML table (a str) of an instance of `class_name` whose plain form is
// `plain` (a dict); null with an exception set on failure.
PyObject* html_table(const char* class_name, PyObject* plain);

// Notes the unit that an attribute's docstring states, its first "[unit]" or
// "**unit**" (a short word without blanks), for the tables' headers. The
// first class to declare a name sets its unit: one name, one quantity.
void note_unit(const char* name, const char* doc);

// The method-table entries of the two methods.
PyMethodDef to_dict_def(PyCFunction entry);
PyMethodDef repr_html_def(PyCFunction entry);

}  // namespace kolvar::bind
