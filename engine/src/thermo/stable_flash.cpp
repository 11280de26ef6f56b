// The stable phase set of a feed, and its phases read back from storage.
#include "engine/thermo/stable_flash.hpp"

#include "input_checks.hpp"
#include "kolvar/format.hpp"
#include "thermo/multiphase_flash.hpp"

#include <cmath>
#include <cstdint>
#include <utility>

namespace kolvar::engine {
namespace {

using format::text;

constexpr double stored_sum_tolerance = 1e-9;  // of a stored phase's mole fractions

}  // namespace

Result<std::vector<EquilibriumPhase>> ThermoSystem::stable_flash(double t, double p, std::span<const double> z,
                                                                 Interrupt interrupt) const
{
    if (auto ok = check_state(t, p, z); !ok) return std::unexpected(std::move(ok.error()));
    if (auto ok = normalised_feed(z); !ok) return std::unexpected(std::move(ok.error()));
    auto phases = thermo::stable_flash(spec(interrupt), t, p, z);
    if (interrupt.stopped()) return interrupted("stopped between work items");
    if (!phases) return thermo_failed(phases.error().text());
    std::vector<EquilibriumPhase> out;
    out.reserve(phases->size());
    for (thermo::PhaseShare& phase : *phases)
        out.push_back({phase.kind == thermo::Phase::Vapor ? "vapour" : "liquid", phase.fraction,
                       std::move(phase.composition)});
    return out;
}

Result<EquilibriumPhase> restore_equilibrium_phase(EquilibriumPhase parts)
{
    if (parts.kind != "vapour" && parts.kind != "liquid")
        return invalid_input(text("kind must be \"vapour\" or \"liquid\", got ", format::Quoted{parts.kind}));
    if (!(std::isfinite(parts.fraction) && parts.fraction > 0.0 && parts.fraction <= 1.0))
        return invalid_input(text("fraction must lie in (0, 1], got ", parts.fraction));
    if (parts.composition.empty()) return invalid_input("composition must have at least one entry");
    const auto sum = entry_sum("composition", parts.composition);
    if (!sum) return std::unexpected(std::move(sum.error()));
    if (!(std::abs(*sum - 1.0) <= stored_sum_tolerance))
        return invalid_input(text("composition must sum to 1, got a sum of ", *sum));
    return parts;
}

}  // namespace kolvar::engine
