// The engine types that Python sees, in registration order.
//
// A type's place in this list is its slot in the module state and fixes the
// order of the module's class attributes. Each class is declared once, with
// its name and maker, in the file that binds it (DeclaredClass).
#pragma once

#include "toolkit/registry.hpp"

#include "engine/binary/equilibrium.hpp"
#include "engine/binary/mccabe_thiele.hpp"
#include "engine/binary/rmin.hpp"
#include "engine/binary/total_reflux.hpp"
#include "engine/column.hpp"
#include "engine/energy/column_balance.hpp"
#include "engine/energy/ponchon_savarit.hpp"
#include "engine/multicomponent/shortcut.hpp"
#include "engine/thermo/fugacity_derivatives.hpp"
#include "engine/thermo/stable_flash.hpp"
#include "engine/thermo/system.hpp"

namespace kolvar::bind {

using ModuleClasses = ClassList<engine::ThermoSystem,
                                engine::EquilibriumCurve,
                                engine::Feed,
                                engine::BinaryColumn,
                                engine::CondenserKind,
                                engine::McCabeThieleSpec,
                                engine::Line,
                                engine::StagePoint,
                                engine::RminResult,
                                engine::McCabeThieleResult,
                                engine::TotalRefluxResult,
                                engine::ShortcutResult,
                                engine::ColumnEnergy,
                                engine::PonchonSavaritStage,
                                engine::PonchonSavaritResult,
                                engine::EquilibriumPhase,
                                engine::FugacityDerivatives>;

template <class T>
    requires(ModuleClasses::contains<T>)
struct PyClass<T> : SlotIn<ModuleClasses, T> {};

}  // namespace kolvar::bind
