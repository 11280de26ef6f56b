#include "toolkit/warnings.hpp"

#include "toolkit/ref.hpp"
#include "toolkit/registry.hpp"

#include <string>

namespace kolvar::bind {

PyObject* make_warning_category(const WarningCategory& category)
{
    return PyErr_NewExceptionWithDoc(category.qualified_name, category.doc, PyExc_UserWarning, nullptr);
}

bool warn(const WarningCategory& category, std::string_view message)
{
    // The category as the module holds it; should it be gone (a module being
    // torn down, an attribute deleted by hand), the warning is a UserWarning.
    PyObject* module = PyState_FindModule(module_definition());
    Ref type = Ref::steal(module ? PyObject_GetAttrString(module, category.attribute) : nullptr);
    if (!type) PyErr_Clear();
    const bool usable = type && PyType_Check(type.get()) && PyObject_IsSubclass(type.get(), PyExc_Warning) == 1;
    if (PyErr_Occurred()) PyErr_Clear();
    PyObject* warning_type = usable ? type.get() : PyExc_UserWarning;
    const std::string text(message);
    return PyErr_WarnEx(warning_type, text.c_str(), 1) == 0;
}

}  // namespace kolvar::bind
