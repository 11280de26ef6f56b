// The stable phase set of a feed as a ThermoSystem answers it.
#pragma once

#include "engine/error.hpp"
#include "engine/interrupt.hpp"
#include "engine/thermo/system.hpp"

#include <span>
#include <string>
#include <vector>

namespace kolvar::engine {

// One phase of an equilibrium: "vapour" or "liquid", its share of the feed's
// moles and its mole fractions.
struct EquilibriumPhase {
    std::string kind;
    double fraction = 0.0;
    std::vector<double> composition;
};

// ThermoSystem::stable_flash is thermo::stable_flash of the feed z at (t, p),
// after the state checks of the system's questions; z must then be mole
// fractions: a sum off 1 by more than 1e-6 is InvalidInput "feed
// composition must be mole fractions summing to 1, got a sum of {sum} (a
// composition in percent must be divided by 100)". The interrupt is asked
// between trials and passes.

// A phase read back from storage: kind "vapour" or "liquid"; fraction finite
// in (0, 1]; composition of at least one finite, non-negative entry summing
// to 1 within 1e-9. InvalidInput naming the part otherwise.
Result<EquilibriumPhase> restore_equilibrium_phase(EquilibriumPhase parts);

}  // namespace kolvar::engine
