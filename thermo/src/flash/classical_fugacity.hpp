// ln phi of one phase, with its slopes along T, ln P and the amounts, for a
// mixture described by one two-parameter cubic equation of state (u and w
// fixed by the family: PR, RK or VdW) and classical one-fluid mixing. This is
// what the Newton bubble- and dew-point solvers iterate on; no heap
// allocation for up to 8 components.
//
// With A_i and B_i the reduced parameters of the components (Eos layer),
//   a_ij = sqrt(A_i A_j)(1 - (k_ij + k_ji)/2),  s_i = sum_j z_j a_ij,
//   A = sum_i z_i s_i,  B = sum_i z_i B_i,
//   ln phi_i = (B_i/B)(Z - 1) - ln(Z - B) - g (2 s_i - A B_i/B),
// where Z is the phase's root of the cubic and g the reduced attraction
// integral of Z^2 + u B Z + w B^2 from Z to infinity. The composition must
// sum to one (the formula uses it); the slopes hold the composition fixed.
#pragma once

#include "thermo/flash.hpp"
#include "thermo/phase.hpp"

#include <optional>
#include <span>

namespace kolvar::thermo::flash {

// The spec's mixture when it is of that kind: phi-phi with the same
// two-parameter Eos for liquid and vapour, Classical or IVDW mixing and no
// excess-Gibbs-energy model. The kij enter symmetrised.
struct ClassicalMixture {
    std::span<const Component> components;
    Eos eos = Eos::PR1976;
    double u = 0.0;
    double w = 0.0;
    SmallVector<double, 64> interaction;  // 1 - (k_ij + k_ji)/2, row-major n x n

    std::size_t size() const { return components.size(); }
};

std::optional<ClassicalMixture> classical_mixture(const SystemSpec& spec);

// Everything that depends on (T, P) alone.
class CubicState {
public:
    // Reduced parameters at (T, P) and d ln A_i/dT. A non-finite parameter
    // (a failing alpha correlation) makes every later evaluation fail.
    void prepare(const ClassicalMixture& mixture, double temperature, double pressure);

    double temperature() const { return temperature_; }
    // Every A_i positive and finite with an alpha that falls as T rises: the
    // cubic describes the components here (flash/physical_attraction.hpp).
    bool physical() const { return physical_; }
    double pressure() const { return pressure_; }

    // Slopes of ln phi_i: along T and ln P at fixed composition, and, when
    // `composition` has room for n x n entries, N d ln phi_i / dN_j at fixed
    // T and P (row i, entry j; the amounts scaled to the given mole fractions).
    struct Slopes {
        std::span<double> temperature;   // d ln phi_i / dT, 1/K
        std::span<double> log_pressure;  // d ln phi_i / d ln P
        std::span<double> composition{};
    };

    // ln phi_i of the phase's root (Vapor the largest above B, Liquid the
    // smallest, polished by two Newton steps as in mixture_ln_phi), and
    // their slopes when asked for. Returns Z, or nullopt when the cubic has
    // no root above B or is not finite.
    std::optional<double> ln_phi(const ClassicalMixture& mixture, std::span<const double> composition, Phase phase,
                                 std::span<double> ln_phi, const Slopes* slopes) const;

private:
    double temperature_ = 0.0;
    double pressure_ = 0.0;
    bool physical_ = true;
    SmallVector<double, 8> a_;         // A_i
    SmallVector<double, 8> b_;         // B_i
    SmallVector<double, 8> log_a_dt_;  // d ln A_i / dT
    SmallVector<double, 64> a_ij_;     // sqrt(A_i A_j)(1 - k_ij), row-major
};

}  // namespace kolvar::thermo::flash
