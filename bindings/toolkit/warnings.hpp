// Warnings the module issues.
//
// A category is declared once, as a constant, and listed among the module's
// entries under its private attribute name; the package re-exports it under
// its public name:
//
//   inline constexpr WarningCategory composition_warning{
//       "_CompositionWarning", "kolvar.CompositionWarning", "A composition that cannot be mole fractions."};
//   Entry{composition_warning.attribute, &make_warning_category<composition_warning>, Listing::Private}
//
// Each category is a UserWarning subclass created when the module
// initialises; its qualified name sets the __module__ and __name__ users see.
#pragma once

#include "toolkit/python.hpp"

#include <string_view>

namespace kolvar::bind {

struct WarningCategory {
    const char* attribute;       // the module attribute, "_CompositionWarning"
    const char* qualified_name;  // "kolvar.CompositionWarning"
    const char* doc;
};

// A new UserWarning subclass for the category (a new reference), or null
// with an exception set.
PyObject* make_warning_category(const WarningCategory& category);

template <const WarningCategory& Category>
PyObject* make_warning_category()
{
    return make_warning_category(Category);
}

// Issues `message` in the category, attributed to the Python line that made
// the call. False, with the exception set, when the warning filters turned
// it into an exception. Called with the interpreter lock held.
bool warn(const WarningCategory& category, std::string_view message);

}  // namespace kolvar::bind
