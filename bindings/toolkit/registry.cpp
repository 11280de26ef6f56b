#include "toolkit/registry.hpp"

namespace kolvar::bind {

ModuleState* module_state()
{
    PyObject* module = PyState_FindModule(module_definition());
    return module ? static_cast<ModuleState*>(PyModule_GetState(module)) : nullptr;
}

}  // namespace kolvar::bind
