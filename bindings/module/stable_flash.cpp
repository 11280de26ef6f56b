// The stable phase set of a feed: ThermoSystem.stable_flash and its
// EquilibriumPhase class.
#include "module/stable_flash.hpp"

#include "module/classes.hpp"

#include "toolkit/callable.hpp"
#include "toolkit/class.hpp"

#include "engine/thermo/stable_flash.hpp"

#include "kolvar/format.hpp"

#include <string>
#include <utility>
#include <vector>

namespace kolvar::bind {
namespace {

using engine::EquilibriumPhase;
using engine::ThermoSystem;

// A stability test and a split: tens of microseconds and more, so other
// threads run meanwhile.
const auto system_stable_flash = method<ThermoSystem>(
    "ThermoSystem", "stable_flash",
    "The stable phases of the feed `z` (mole fractions) at `t` [K] and `p` [kPa]:\n"
    "a list of `EquilibriumPhase`, the vapour first, then up to two liquids (the\n"
    "one richer in the first component first). A stable feed comes back alone\n"
    "with fraction 1; otherwise the fractions sum to 1, the phases balance the\n"
    "feed and every component's fugacity is the same in every phase. Found by\n"
    "tangent-plane stability analysis with vapour and liquid trial phases and a\n"
    "multiphase split. Unlike `flash`, two liquids are reported as two liquids.",
    [](const ThermoSystem& system, double t, double p, std::vector<double> z, engine::Interrupt interrupt) {
        return system.stable_flash(t, p, z, interrupt);
    },
    required<Float>("t"), required<Float>("p"), required<FloatList>("z"))
    .without_lock();

const auto phase_rebuild = constructor<EquilibriumPhase>(
    "EquilibriumPhase", "",
    [](std::string kind, double fraction, std::vector<double> composition) {
        return engine::restore_equilibrium_phase({std::move(kind), fraction, std::move(composition)});
    },
    required<Text>("kind"), required<Float>("fraction"), required<FloatList>("composition"));

// "EquilibriumPhase(liquid, 0.4202, [0.3127, 0.6873])": kind, share, composition.
std::string phase_repr(const EquilibriumPhase& phase)
{
    std::string composition;
    for (double x : phase.composition)
        composition += format::text(composition.empty() ? "" : ", ", format::Fixed{x, 4});
    return format::text("EquilibriumPhase(", phase.kind, ", ", format::Fixed{phase.fraction, 4}, ", [", composition,
                        "])");
}

PyObject* make_equilibrium_phase()
{
    ClassSpec<EquilibriumPhase> spec{"One phase of an equilibrium found by `ThermoSystem.stable_flash`."};
    spec.attributes = {
        field<&EquilibriumPhase::kind>("kind", "\"vapour\" or \"liquid\"."),
        field<&EquilibriumPhase::fraction>("fraction", "The phase's share of the feed's moles, in (0, 1]."),
        field<&EquilibriumPhase::composition>("composition", "Mole fractions, in the system's component order."),
    };
    spec.rebuilt_by<phase_rebuild>();
    spec.repr = repr_of<EquilibriumPhase, &phase_repr>;
    return create_class(std::move(spec));
}
const DeclaredClass<EquilibriumPhase> equilibrium_phase_class{"EquilibriumPhase", &make_equilibrium_phase,
                                                              Exposure::ThroughOtherObjects};

}  // namespace

PyMethodDef thermo_system_stable_flash_def() { return def<system_stable_flash>(); }

}  // namespace kolvar::bind
