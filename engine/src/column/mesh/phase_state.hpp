// One phase of one stage as the stage equations read it: ln(f_i/(x_i P))
// with its exact gradient in T and the amounts, the partial molar
// enthalpies and the molar enthalpy with its temperature slope.
#pragma once

#include "engine/error.hpp"

#include "thermo/flash.hpp"
#include "thermo/fugacity_derivatives.hpp"
#include "thermo/phase.hpp"

#include <span>
#include <vector>

namespace kolvar::engine::mesh {

struct PhaseState {
    thermo::FugacityDerivatives fugacity;  // d_amounts at a total of one mole
    std::vector<double> partial_enthalpy;  // h_i = h_ig,i(T) - R T^2 d ln(f_i/(x_i P))/dT, J/mol
    double enthalpy = 0.0;                 // sum x_i h_i, J/mol
    // dh/dT at fixed composition, as far as the Jacobian needs it: the
    // ideal-gas heat capacity alone. The slope of the residual term -R T^2
    // d ln(f_i/(x_i P))/dT needs the second temperature derivative, which
    // the first-order Dual does not carry; that term is nearly constant in T
    // (exactly so for a Raoult liquid of constant latent heat), so Newton's
    // method loses little by leaving it out, and the solution nothing.
    double heat_capacity = 0.0;
};

// The state of the phase of amounts `w` (normalised) at (T, P), into `out`
// (its lists reused): the failures of thermo::fugacity_derivatives as
// ThermoFailed.
Result<void> evaluate_phase(const thermo::SystemSpec& spec, double t, double p, std::span<const double> w,
                            thermo::Phase phase, PhaseState& out);

}  // namespace kolvar::engine::mesh
