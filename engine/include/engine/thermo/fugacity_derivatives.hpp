// ln phi of one phase with its exact gradient, as a ThermoSystem answers it.
#pragma once

#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

#include <string>
#include <vector>

namespace kolvar::engine {

// ln phi_i of one phase and its derivatives: along T [1/K] at fixed P and
// amounts, along P [1/kPa] at fixed T and amounts, and d_amounts[i][j] =
// d ln phi_i / d n_j [1/mol] at a total of one mole. For a gamma-phi or
// ideal-solution liquid the same quantities of ln(f_i / (x_i P)).
struct FugacityDerivatives {
    std::vector<double> ln_phi;
    std::vector<double> d_temperature;
    std::vector<double> d_pressure;
    std::vector<std::vector<double>> d_amounts;
};

// ThermoSystem::ln_phi_derivatives is thermo::fugacity_derivatives of the
// composition (amounts or mole fractions, normalised) at (t, p), after the
// state checks of the system's questions; the phase may be either phase of
// any model.

// A value read back from storage: ln_phi of at least one entry, the two
// slopes of as many, d_amounts as many rows of as many entries, every entry
// finite. InvalidInput naming the part otherwise.
Result<FugacityDerivatives> restore_fugacity_derivatives(FugacityDerivatives parts);

// "FugacityDerivatives(ln_phi=[...], d_temperature=[...], d_pressure=[...],
// d_amounts=[[...], ...])", every number by the formatting module.
std::string repr(const FugacityDerivatives& value);

}  // namespace kolvar::engine
