// kolvar._engine: registration of the module's names, in order.
#include "module/classes.hpp"
#include "module/functions.hpp"

#include "toolkit/module.hpp"
#include "toolkit/registry.hpp"

#include <array>

namespace kolvar::bind {
namespace {

PyModuleDef engine_module = {
    PyModuleDef_HEAD_INIT,
    "_engine",
    "The native module `kolvar._engine` of the kolvar package: McCabe–Thiele design of\n"
    "binary distillation columns and the vapour–liquid equilibrium thermodynamics behind it.",
    sizeof(ModuleState),
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

PyObject* make_version_string() { return PyUnicode_FromString(version_text); }
PyObject* make_version_function() { return make_function(version_def()); }

const std::array entries = {
    Entry{"__version__", &make_version_string},
    Entry{"version", &make_version_function},
    Entry{"Feed", &make_feed_class, FeedSlot},
    Entry{"BinaryColumn", &make_binary_column_class, BinaryColumnSlot},
    Entry{"CondenserKind", &make_condenser_kind_class, CondenserKindSlot},
    Entry{"Line", &make_line_class, LineSlot},
};

}  // namespace

PyModuleDef* module_definition() { return &engine_module; }

}  // namespace kolvar::bind

PyMODINIT_FUNC PyInit__engine(void)
{
    return kolvar::bind::initialise_module(kolvar::bind::entries);
}
