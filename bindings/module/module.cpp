// kolvar._engine: registration of the module's names, in order.
#include "module/classes.hpp"
#include "module/component_names.hpp"
#include "module/design.hpp"
#include "module/energy.hpp"
#include "module/functions.hpp"
#include "module/shortcut.hpp"
#include "module/thermo.hpp"
#include "module/warnings.hpp"

#include "toolkit/module.hpp"
#include "toolkit/pickling.hpp"
#include "toolkit/registry.hpp"

#include <array>

namespace kolvar::bind {
namespace {

PyModuleDef engine_module = define_module<ModuleClasses>(
    "_engine",
    "The native module `kolvar._engine` of the kolvar package: McCabe–Thiele design of\n"
    "binary distillation columns and the vapour–liquid equilibrium thermodynamics behind it.");

PyObject* make_version_string() { return PyUnicode_FromString(version_text); }
template <PyMethodDef (*Def)()>
PyObject* make_function_entry()
{
    return make_function(Def());
}

// The names before the classes; the classes follow in the order of ModuleClasses.
const std::array entries = {
    Entry{"__version__", &make_version_string},
    Entry{"version", &make_function_entry<&version_def>},
    Entry{"smoke_bubble_temperature", &make_function_entry<&smoke_bubble_temperature_def>},
    Entry{"rmin", &make_function_entry<&rmin_def>},
    Entry{"mccabe_thiele", &make_function_entry<&mccabe_thiele_def>},
    Entry{"total_reflux", &make_function_entry<&total_reflux_def>},
    Entry{"n_vs_r", &make_function_entry<&n_vs_r_def>},
    Entry{rebuild_function_name, &make_function_entry<&rebuild_def>, Listing::Private},
    Entry{"_shortcut", &make_function_entry<&shortcut_def>, Listing::Private},
    Entry{composition_warning.attribute, &make_warning_category<composition_warning>, Listing::Private},
    Entry{liquid_split_warning.attribute, &make_warning_category<liquid_split_warning>, Listing::Private},
    Entry{"_column_energy", &make_function_entry<&column_energy_def>, Listing::Private},
    Entry{"_ponchon_savarit", &make_function_entry<&ponchon_savarit_def>, Listing::Private},
    Entry{"_enthalpy_curve", &make_function_entry<&enthalpy_curve_def>, Listing::Private},
    Entry{"_ponchon_savarit_min_reflux", &make_function_entry<&ponchon_savarit_min_reflux_def>, Listing::Private},
    Entry{"_stage_table", &make_function_entry<&stage_table_def>, Listing::Private},
    Entry{"_set_component_resolver", &make_function_entry<&set_component_resolver_def>, Listing::Private},
    Entry{unit_warning.attribute, &make_warning_category<unit_warning>, Listing::Private},
};

}  // namespace

PyModuleDef* module_definition() { return &engine_module; }

}  // namespace kolvar::bind

PyMODINIT_FUNC PyInit__engine(void)
{
    return kolvar::bind::initialise_module<kolvar::bind::ModuleClasses>(kolvar::bind::entries);
}
