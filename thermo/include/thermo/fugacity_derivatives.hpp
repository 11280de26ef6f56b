// ln(f_i / (x_i P)) of one phase of any model, with its exact derivatives in
// the temperature, the pressure and the amounts: for an equation-of-state,
// virial or ideal-gas phase and a Grayson-Streed liquid this is ln phi_i; for
// a gamma-phi or ideal-solution liquid ln gamma_i + ln(f0_i / P) (see
// phase_fugacity.hpp for what each model writes).
//
//   FugacityDerivatives d;
//   if (auto ok = fugacity_derivatives(spec, 350.0, 101.325, x, Phase::Liquid, d); !ok) ...
//   d.d_amounts[i * n + j];  // d ln phi_i / d n_j at a total of one mole
//
// Every kernel is written once over a scalar type and evaluated here in a
// Gradient whose lanes carry the temperature, the pressure and each amount
// n_j together, whose direction moves the mole fractions by dx_k/dn_j =
// delta_kj - x_k at a total of one mole. The derivatives are exact to
// rounding and the values are those of the double evaluation bit for bit.
// One pass, with the (T, P) parameters prepared once, for up to 8
// components; above, one pass per 10 directions (a 4-wide one for the last
// few). No heap allocation for up to 8 components beyond the result's own
// lists.
#pragma once

#include "thermo/flash.hpp"
#include "thermo/phase.hpp"

#include <expected>
#include <span>
#include <vector>

namespace kolvar::thermo {

struct FugacityDerivatives {
    std::vector<double> ln_phi;         // ln(f_i / (x_i P)), n entries
    std::vector<double> d_temperature;  // 1/K, at fixed P and amounts
    std::vector<double> d_pressure;     // 1/kPa, at fixed T and amounts
    std::vector<double> d_amounts;      // 1/mol, n x n row-major: row i, column j = d ln phi_i / d n_j
};

// The derivatives of the phase at (T, P) and composition w, which is
// normalised to mole fractions (a total of one mole); the lists of `out` are
// resized to n and n x n. Checks first, in order: DimensionMismatch
// "components=2, composition=3"; the model checks of evaluate_k; Evaluation
// "composition must have a positive sum" for a sum that is not positive and
// finite. Then the failures of the fugacity and saturation layers
// (Evaluation), and Evaluation "non-finite fugacity at T = {T} K, P = {P}
// kPa" for a value or a derivative that is not finite.
std::expected<void, ThermoError> fugacity_derivatives(const SystemSpec& spec, double temperature, double pressure,
                                                      std::span<const double> w, Phase phase,
                                                      FugacityDerivatives& out);

}  // namespace kolvar::thermo
