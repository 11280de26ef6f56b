#include "toolkit/registry.hpp"

namespace kolvar::bind {

ModuleState* module_state()
{
    PyObject* module = PyState_FindModule(module_definition());
    return module ? static_cast<ModuleState*>(PyModule_GetState(module)) : nullptr;
}

PyTypeObject* missing_type()
{
    PyErr_SetString(PyExc_RuntimeError, "kolvar._engine is not initialised in this interpreter");
    return nullptr;
}

}  // namespace kolvar::bind
