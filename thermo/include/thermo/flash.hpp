// Phase equilibrium of a mixture described by one per-call system
// specification: K-values by successive substitution, and the bubble-point
// solvers built on them.
#pragma once

#include "thermo/activity.hpp"
#include "thermo/component.hpp"
#include "thermo/eos.hpp"
#include "thermo/mixing_rule.hpp"
#include "thermo/small_vector.hpp"

#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kolvar::thermo {

// How the liquid is described. Each approach carries the model it needs, so
// an equation of state cannot stand where an activity model is meant.
namespace liquid {
struct IdealSolution {};                                           // gamma = 1 with the gamma-phi formula
struct PhiPhi { Eos eos = Eos::PR1976; };                          // an equation of state for both phases
struct GammaPhi { ActivityModel model = ActivityModel::VanLaar; }; // activity coefficients for the liquid
struct GraysonStreed {};                                           // generalized liquid fugacity correlation
}  // namespace liquid

using LiquidModel = std::variant<liquid::IdealSolution, liquid::PhiPhi, liquid::GammaPhi, liquid::GraysonStreed>;

// How the vapour is described: an equation of state (with the spec's mixing
// rule), the ideal gas (ln phi = 0), or the truncated virial equation with a
// generalized second virial coefficient.
struct VaporModel {
    enum class Kind : unsigned { Eos, IdealGas, Virial };
    Kind kind = Kind::IdealGas;
    Eos eos = Eos::PR1976;  // for Kind::Eos

    static VaporModel equation_of_state(Eos eos) { return {Kind::Eos, eos}; }
    static VaporModel ideal_gas() { return {Kind::IdealGas, Eos::PR1976}; }
    static VaporModel virial() { return {Kind::Virial, Eos::PR1976}; }
};

// A caller's way of stopping long work early. The solvers ask it at the start
// of every K-value evaluation and every stability trial; once it has answered
// true it must keep answering true, and the work ends with the Evaluation
// error "stopped on request" (a caller that stops work knows why and reports
// that instead). Asking the default one costs a test of a null pointer.
struct StopRequest {
    bool (*asked)(void* context) = nullptr;
    void* context = nullptr;

    bool operator()() const { return asked != nullptr && asked(context); }
};

// Borrows everything; cheap to copy. Assembled afresh for every question.
struct SystemSpec {
    LiquidModel liquid = liquid::PhiPhi{};
    std::span<const Component> components{};
    ParameterRows kij{};                 // empty or n x n
    // What the activity model reads, of the gamma-phi liquid or of the GE
    // spec's rule; its molar volumes also serve the Poynting factor.
    ActivityInputs activity{};
    std::span<const SaturationModel> saturation_models{};  // per-component override where present
    std::optional<GeSpec> ge{};          // activity model inside a GE-based mixing rule
    MixingRule mixing_rule = MixingRule::Classical;
    VaporModel vapor{};
    // The Poynting factor of the gamma-phi and ideal-solution liquids, with
    // each component's liquid volume (or, for a component without one, its
    // entry of activity.molar_volumes when that lists n volumes).
    bool poynting = false;
    StopRequest stop{};

    // What the mixture fugacity of either phase reads.
    MixtureSpec mixture() const
    {
        return {.components = components, .kij = kij, .rule = mixing_rule, .ge = ge, .activity = activity};
    }
};

struct ThermoError {
    enum class Kind { DimensionMismatch, NoConvergence, RachfordRice, Evaluation, Unsupported };
    Kind kind;
    std::string message;           // DimensionMismatch, Evaluation, Unsupported; `what` of NoConvergence
    std::uint64_t iterations = 0;  // NoConvergence
    double residual = 0.0;         // NoConvergence
    double k_max = 0.0, k_min = 0.0;  // RachfordRice

    static ThermoError dimension_mismatch(std::string message);
    static ThermoError no_convergence(std::string what, std::uint64_t iterations, double residual);
    static ThermoError evaluation(std::string message);
    static ThermoError unsupported(std::string message);
    // Evaluation "stopped on request": the work a StopRequest ended.
    static ThermoError stopped();

    // "dimension mismatch: ...", "{what} did not converge in {n} iterations
    // (residual 1.234e-5)", "Rachford-Rice has no bracketable root (Kmax=...,
    // Kmin=...)", "thermodynamic evaluation failed: ...", "unsupported: ..."
    std::string text() const;
};

enum class Direction : unsigned { Bubble, Dew };

// The known phase's composition (x for a bubble point, y for a dew point)
// gives the incipient other phase.
struct KValueResult {
    double sum = 0.0;                    // sum K_i x_i (bubble) or sum y_i / K_i (dew)
    SmallVector<double, 8> incipient;    // the normalised incipient composition
    bool trivial = false;                // last pass had K = 1 on a single shared root (phi-phi)
    bool converged = false;              // the last pass changed no ln K by 1e-10 or more
    double change = 0.0;                 // the last pass's largest |ln(K_new/K_old)|
};

// Successive substitution at fixed (T, P), at most max_iterations passes; K
// holds the starting estimates and receives the final ones. Running out of
// passes is not an error: callers test the sum. A pass forms the incipient
// phase from the current K, the vapour's ln phi, then the new K; the loop
// ends when no |ln(K_new/K_old)| reaches 1e-10. The result's sum and
// incipient phase are those of the last pass's start.
//
// Checks before any pass, first failure returned (DimensionMismatch unless
// noted): the composition has n entries ("components=2, x=3, y=2", x being
// the given composition for a bubble point and y for a dew point); K has n
// entries ("components=2, K=3"); the liquid's and the vapour's models are
// declared variants of Eos or ActivityModel (Unsupported); a gamma-phi
// activity model has inputs for n components; the spec's stop request has
// not been made ("stopped on request"). Failures of the fugacity layer and of
// the saturation correlations are Evaluation errors carrying their text.
//
// No heap allocation for up to 8 components.
std::expected<KValueResult, ThermoError> evaluate_k(const SystemSpec& spec, double temperature, double pressure,
                                                    std::span<const double> composition, Direction direction,
                                                    std::span<double> k, unsigned max_iterations);

// Wilson's estimate K_i = (Pc_i / P) exp(5.373 (1 + omega_i)(1 - Tc_i / T)).
double wilson_k(const Component& component, double temperature, double pressure);

// A solved bubble (or dew) point: the solved quantity (P in kPa or T in K),
// the incipient composition and the K-values.
struct IncipientPoint {
    double value = 0.0;
    std::vector<double> y;
    std::vector<double> k;
};

// Bubble (or dew) pressure at temperature T by successive substitution on P
// from Wilson's estimate: each iteration runs evaluate_k (at most 40 passes)
// and ends the solve when |S - 1| < tolerance, else moves P to P S (P/S for
// a dew point), never below 1e-9 kPa. For a dew point x is the vapour and the
// incipient phase the liquid. Failures: the first evaluate_k error;
// NoConvergence "saturation pressure" with the last residual after
// max_iterations; Evaluation "trivial solution at P = {P} kPa: liquid and
// vapour on the same root (K = 1)" for a converged trivial result.
//
// For a phi-phi mixture with one two-parameter equation of state in both
// phases, Classical (or IVDW) mixing and a composition of non-negative
// entries summing to one, Newton on ln P from the same start comes first; its
// answer (phases distinct, |S - 1| < tolerance, P above 1e-9 kPa, no more
// than max_iterations passes) is the substitution's to within its
// tolerance. A substitution result that is no equilibrium (fugacities of the
// two phases not equal to 1e-8 in ln(x_i phi_i)) is settled by Newton from
// it. Where the substitution fails, or ends on or near the K = 1 solution,
// continuation in T from half the average critical temperature looks for the
// genuine point; if there is none, the failure stands, a K = 1 end reported
// as the trivial solution above and an unsettled one as NoConvergence
// "bubble pressure" (or "dew pressure") with 40 and the largest fugacity
// difference.
std::expected<IncipientPoint, ThermoError> bubble_pressure(const SystemSpec& spec, double temperature,
                                                           std::span<const double> x, Direction direction,
                                                           double tolerance, unsigned max_iterations);

// Bubble temperature at pressure P: the first sign change of ln(Pbub(T)/P) on
// 97 grid temperatures from 50 K to 1000 K (pressure solves with the same
// tolerance and limit; a failed one breaks the pairing), bisected, then a
// final evaluate_k (at most 60 passes) from Wilson's estimate at the solved
// T. Failures, in the order met: the composition and model checks of
// evaluate_k; NoConvergence "saturation temperature bracket" (96, NaN);
// Evaluation "P_sat(mid) failed"; NoConvergence "saturation temperature"
// with |f(mid)|; an error of the final evaluation; Evaluation "trivial
// solution at T = {T} K: liquid and vapour on the same root (K = 1)";
// NoConvergence "bubble temperature" (60, |S - 1|) when the final sum is off
// by more than 1e-6.
//
// For the mixtures of bubble_pressure's Newton path, Newton on T from the
// temperature of Wilson's K-values comes first; its answer stands when the
// phases are distinct, |S - 1| < tolerance, Pbub rises with T there (the
// first crossing the scan brackets) and T lies within the scanned range, and
// then agrees with the scan to within the bisection's tolerance. So does,
// for an activity model or an ideal solution under an ideal-gas vapour (the
// K-values then independent of the vapour), Newton on 1/T of
// ln sum_i x_i K_i(T) with its exact temperature slope, under the same
// certificate (flash/ideal_vapour_bubble.hpp). A scan
// result that is no equilibrium is settled by Newton from it; where the scan
// fails, or ends on or near the K = 1 solution, continuation in ln P from
// 100 kPa looks for the genuine bubble point; if there is none, the failure
// stands (an unsettled end as NoConvergence "bubble temperature" with 60 and
// the largest fugacity difference).
std::expected<IncipientPoint, ThermoError> bubble_temperature(const SystemSpec& spec, double pressure,
                                                              std::span<const double> x, double tolerance,
                                                              unsigned max_iterations);

}  // namespace kolvar::thermo
