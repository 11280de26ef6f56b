// kolvar._engine: registration of the module's names, in order.
#include "module/classes.hpp"
#include "module/design.hpp"
#include "module/functions.hpp"
#include "module/thermo.hpp"

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
template <PyMethodDef (*Def)()>
PyObject* make_function_entry()
{
    return make_function(Def());
}

const std::array entries = {
    Entry{"__version__", &make_version_string},
    Entry{"version", &make_function_entry<&version_def>},
    Entry{"smoke_bubble_temperature", &make_function_entry<&smoke_bubble_temperature_def>},
    Entry{"rmin", &make_function_entry<&rmin_def>},
    Entry{"mccabe_thiele", &make_function_entry<&mccabe_thiele_def>},
    Entry{"total_reflux", &make_function_entry<&total_reflux_def>},
    Entry{"n_vs_r", &make_function_entry<&n_vs_r_def>},
    Entry{"ThermoSystem", &make_thermo_system_class, ThermoSystemSlot},
    Entry{"EquilibriumCurve", &make_equilibrium_curve_class, EquilibriumCurveSlot},
    Entry{"Feed", &make_feed_class, FeedSlot},
    Entry{"BinaryColumn", &make_binary_column_class, BinaryColumnSlot},
    Entry{"CondenserKind", &make_condenser_kind_class, CondenserKindSlot},
    Entry{"McCabeThieleSpec", &make_mccabe_thiele_spec_class, McCabeThieleSpecSlot},
    Entry{"Line", &make_line_class, LineSlot},
    Entry{"StagePoint", &make_stage_point_class, StagePointSlot},
    Entry{"RminResult", &make_rmin_result_class, RminResultSlot},
    Entry{"McCabeThieleResult", &make_mccabe_thiele_result_class, McCabeThieleResultSlot},
    Entry{"TotalRefluxResult", &make_total_reflux_result_class, TotalRefluxResultSlot},
};

}  // namespace

PyModuleDef* module_definition() { return &engine_module; }

}  // namespace kolvar::bind

PyMODINIT_FUNC PyInit__engine(void)
{
    return kolvar::bind::initialise_module(kolvar::bind::entries);
}
