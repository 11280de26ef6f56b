// The fugacity of every component in a vapour or a liquid of a system at one
// temperature and pressure, for every model the system specification can
// describe. This is the one place that knows how each model writes f_i:
//
//   phase   model                          form         term_i            f0_i
//   vapour  an equation of state           Coefficient  ln phi_i          -
//   vapour  the virial equation            Coefficient  ln phi_i          -
//   vapour  the ideal gas                  Coefficient  0                 -
//   liquid  phi-phi (an equation of state) Coefficient  ln phi_i          -
//   liquid  Grayson-Streed                 Coefficient  ln nu_i           -
//   liquid  gamma-phi (an activity model)  Activity     ln gamma_i        Psat_i phi_i^sat Poynting_i
//   liquid  ideal solution                 Activity     0                 Psat_i phi_i^sat Poynting_i
//
// with, at mole fractions w,
//   Coefficient form: f_i = w_i P exp(term_i)
//   Activity form:    f_i = w_i exp(term_i) f0_i
// so that in either form
//   ln(f_i / (w_i P)) = term_i + ln(f0_i / P)   (the last part in the Activity form only).
// This is the fugacity the K-values use: K_i = exp(ln(f_i/(x_i P)) of the
// liquid - the same of the vapour).
//
// An equation-of-state phase takes its own root of the cubic in Z: the vapour
// the largest root above B, the liquid the smallest, each polished by Newton
// steps (see mixture_ln_phi); with one real root above B both phases share
// it. f0_i is the pure liquid's fugacity in kPa: the saturation pressure by
// the spec's saturation model (else the component's own), the fugacity
// coefficient of the saturated pure vapour by the spec's vapour model (1 for
// the ideal gas) and, when the spec switches it on, the Poynting factor
// exp((P - Psat_i) V_i/(R T)). nu_i is the Grayson-Streed pure-liquid
// fugacity coefficient.
//
//   PhaseFugacity phases(spec, 350.0, 101.325);
//   phases.ln_coefficients(Phase::Liquid, x, out);
//
// Real is double, or the library's Dual: constructed at a Dual temperature
// (value T, slope 1) every result carries its exact derivative along T at
// fixed P and composition; the values are those of the double evaluation.
// With Real a Tangent or a Gradient the pressure and the mole fractions are
// of that type too (StateScalar), so each result carries its derivatives
// along the directions seeded in T, P and w (fugacity_derivatives.hpp seeds
// them all at once in a Gradient).
#pragma once

#include "thermo/component_parameters.hpp"
#include "thermo/flash.hpp"
#include "thermo/mixture.hpp"
#include "thermo/phase.hpp"
#include "thermo/scalar.hpp"
#include "thermo/small_vector.hpp"

#include <cstddef>
#include <expected>
#include <span>
#include <type_traits>

namespace kolvar::thermo {

enum class FugacityForm : unsigned {
    Coefficient,  // f_i = w_i P exp(term_i)
    Activity,     // f_i = w_i exp(term_i) f0_i
};

// Both phases of one system at fixed (T, P). Borrows the spec, which must
// outlive it. Whatever depends on T and P alone (the components' equation-of-
// state parameters, shared when both phases use the same equation of state;
// the virial coefficients; the pure-liquid references) is computed on first
// use and kept, so a loop over compositions pays for it once. Compositions
// are used as given, neither normalised nor checked: the callers check the
// spec's models (flash::check_models) and the lengths first. No heap
// allocation for up to 8 components.
template <class Real>
class BasicPhaseFugacity {
    // How a phase's term is formed, decided once from the spec.
    enum class Writer : unsigned char { EquationOfState, Virial, IdealGas, ActivityModel, IdealSolution, GraysonStreed };

public:
    BasicPhaseFugacity(const SystemSpec& spec, Real temperature, std::type_identity_t<StateScalar<Real>> pressure);

    FugacityForm form(Phase phase) const
    {
        const Writer w = writer(phase);
        return w == Writer::ActivityModel || w == Writer::IdealSolution ? FugacityForm::Activity
                                                                         : FugacityForm::Coefficient;
    }

    // Whether term_i changes with the composition: an equation-of-state or
    // virial phase, a gamma-phi liquid.
    bool composition_dependent(Phase phase) const
    {
        const Writer w = writer(phase);
        return w == Writer::EquationOfState || w == Writer::Virial || w == Writer::ActivityModel;
    }

    // term_i of the phase at mole fractions w into out[0..n). An equation-of-
    // state phase writes its polished root Z into `compressibility` when
    // given. Failures: the fugacity layer's error and a failing saturation
    // correlation, as Evaluation errors carrying their text.
    std::expected<void, ThermoError> term(Phase phase, std::span<const StateScalar<Real>> w, std::span<Real> out,
                                          double* compressibility = nullptr)
    {
        if (writer(phase) != Writer::EquationOfState) return model_term(phase, w, out);
        return eos_term(phase, w, out, compressibility);
    }

    // f0_i [kPa] of the Activity form's liquid; empty for a Coefficient-form
    // liquid. Failures: a failing saturation correlation, a component without
    // a liquid volume for the Poynting factor (Evaluation).
    std::expected<std::span<const Real>, ThermoError> standard_fugacities();

    // ln(f_i / (w_i P)) of the phase at mole fractions w into out[0..n).
    std::expected<void, ThermoError> ln_coefficients(Phase phase, std::span<const StateScalar<Real>> w,
                                                     std::span<Real> out,
                                                     double* compressibility = nullptr);

private:
    Writer writer(Phase phase) const { return phase == Phase::Vapor ? vapour_ : liquid_; }

    // The components' parameters of the phase's equation of state, computed
    // on first use; a phi-phi liquid with the vapour's equation of state
    // shares the vapour's.
    const BasicComponentParameters<Real>& parameters(Phase phase)
    {
        const bool vapour = phase == Phase::Vapor || shared_;
        if (!(vapour ? vapour_ready_ : liquid_ready_)) prepare(vapour);
        return vapour ? vapour_parameters_ : liquid_parameters_;
    }
    void prepare(bool vapour);
    // term of an equation-of-state phase: mixture_ln_phi, or for Classical
    // mixing without kij and a two-parameter variant, its two steps on
    // parameters kept between calls (the mixture checked once).
    std::expected<void, ThermoError> eos_term(Phase phase, std::span<const StateScalar<Real>> w, std::span<Real> out,
                                              double* compressibility);
    // term of the phases without an equation of state.
    std::expected<void, ThermoError> model_term(Phase phase, std::span<const StateScalar<Real>> w, std::span<Real> out);
    std::expected<void, ThermoError> references();

    const SystemSpec& spec_;
    const MixtureSpec mixture_;
    const Real temperature_;
    const StateScalar<Real> pressure_;
    Writer vapour_ = Writer::IdealGas;
    Writer liquid_ = Writer::IdealSolution;
    bool shared_ = false;  // a phi-phi liquid with the vapour's equation of state uses the vapour's parameters

    BasicComponentParameters<Real> vapour_parameters_;
    BasicComponentParameters<Real> liquid_parameters_;
    SmallVector<Real, 64> virial_;
    SmallVector<Real, 8> reference_;  // Activity form: f0_i; Grayson-Streed: ln nu_i
    bool vapour_ready_ = false;
    bool liquid_ready_ = false;
    // The parameter set's mixture is Classical without kij on a two-parameter
    // variant and passes its checks at n components.
    bool vapour_classical_ = false;
    bool liquid_classical_ = false;
    BasicMixtureParameters<Real> mixed_;  // the last composition's, for those
    bool references_ready_ = false;
};

using PhaseFugacity = BasicPhaseFugacity<double>;

// ln(f_i / (w_i P)) of one phase at (T, P, w) into ln_coefficient (n
// entries) and, when temperature_slope has n entries, its derivative along
// T at fixed P and w, exact to rounding. w is used as given. Checks first,
// in order: DimensionMismatch "components=2, composition=3"; the model checks
// of evaluate_k; DimensionMismatch "components=2, output=3" for an output of
// another length (an empty temperature_slope asks for no slope). Then the
// failures of the fugacity and saturation layers (Evaluation), and
// Evaluation "non-finite fugacity at T = {T} K, P = {P} kPa" for a result
// that is not finite.
std::expected<void, ThermoError> phase_fugacity(const SystemSpec& spec, double temperature, double pressure,
                                                std::span<const double> w, Phase phase,
                                                std::span<double> ln_coefficient,
                                                std::span<double> temperature_slope = {});

}  // namespace kolvar::thermo
