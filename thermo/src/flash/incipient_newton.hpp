// Bubble and dew points by Newton iteration on T (or ln P) with the K-values
// carried from pass to pass, for the mixtures the classical fugacity kernel
// takes. They are the fast paths of the public solvers: a result comes back
// only when it is certified to be the point the grid-scan (temperature) or
// substitution (pressure) procedure would report, and otherwise the caller
// runs that procedure; continuation from an easy condition finds the genuine
// points those procedures lose to the K = 1 solution.
//
// The known phase's composition (x for a bubble point, y for a dew point)
// gives the incipient one from the current K; the residual
//   F = ln sum_i x_i K_i (bubble)   or   F = -ln sum_i y_i / K_i (dew)
// rises with T and falls with P on the branch the scan meets first.
#pragma once

#include "flash/classical_fugacity.hpp"
#include "thermo/flash.hpp"

#include <optional>
#include <span>

namespace kolvar::thermo::flash {

// Grid of the temperature scan: 97 temperatures from 50 K to 1000 K.
inline constexpr double scan_low = 50.0;     // K
inline constexpr double scan_span = 950.0;   // K
inline constexpr unsigned scan_steps = 96;

inline double scan_temperature(unsigned step)
{
    return scan_low + scan_span * static_cast<double>(step) / static_cast<double>(scan_steps);
}

// The pressure iteration of the substitution procedure never goes below this
// (kPa); points at lower pressures are outside the solvers' range.
inline constexpr double pressure_floor = 1e-9;

// The temperature at which Wilson's K-values W_i(T)/P put the point:
// sum_i x_i W_i/P = 1 (bubble) or sum_i y_i P/W_i = 1 (dew), solved by Newton
// on 1/T, in which the logarithm of either sum is convex, from the root of its
// linearisation (on the side from which the iterates approach the root
// monotonically). Nothing for a pressure that is not finite and positive or a
// composition with no positive entry.
std::optional<double> wilson_temperature(std::span<const Component> components, double pressure,
                                         std::span<const double> composition, Direction direction);

// Both phases of a point as the pass that returned it evaluated them, at its
// T and P and at the compositions it returns: ln phi_i and the root Z of
// each. The judge takes them instead of evaluating the phases again.
struct EvaluatedPhases {
    SmallVector<double, 8> ln_phi_liquid;
    SmallVector<double, 8> ln_phi_vapour;
    double z_liquid = 0.0;
    double z_vapour = 0.0;
};

// A converged Newton point and what certifies it.
struct NewtonPoint {
    double temperature = 0.0;   // K
    double pressure = 0.0;      // kPa
    SmallVector<double, 8> incipient;  // from the K at the start of the last pass
    SmallVector<double, 8> k;          // the last pass's K
    double sum = 0.0;           // sum x_i K_i (bubble) or sum y_i / K_i (dew) of the last pass
    double slope_t = 0.0;       // dF/dT at the solution
    double slope_log_p = 0.0;   // dF/d ln P at the solution
    EvaluatedPhases phases;     // the last pass's
    unsigned iterations = 0;
};

// A fast path's point and, where its procedure has them, its evaluated phases.
struct CertifiedPoint {
    IncipientPoint point;
    std::optional<EvaluatedPhases> phases;
};

enum class Unknown { Temperature, LogPressure };

// Solves F = 0 with K_i = phi_i^L/phi_i^V from (temperature, pressure) and
// the K given. Each pass forms the incipient phase from the current K and
// evaluates both phases with their analytic slopes. While some ln K still
// moves by more than 1e-2 in a pass, the pass's K are taken as they are and
// the unknown gets a Newton step on F (steps of at most 10 % of T, or 1 in
// ln P); closer in, Newton on (ln K, the unknown) with the incipient phase's
// composition derivatives (steps of at most 2 in any ln K), until a full
// step leaves the K moving more than before, after which the run keeps to
// substitution (near a liquid's stability limit). Stops when the
// pass's K give |F| <= 1e-11 and no ln K moved by 1e-10. Nothing when a
// phase has no root, a substitution pass meets a slope of the wrong sign,
// the Newton system is singular, or max_iterations passes do not converge.
std::optional<NewtonPoint> newton_point(const ClassicalMixture& mixture, Direction direction, Unknown unknown,
                                        double temperature, double pressure, std::span<const double> composition,
                                        std::span<const double> k, unsigned max_iterations);

// Liquid and vapour are distinct phases: not the K = 1 solution on one shared
// root, nor close enough to it to be mistaken for it (some |ln K_i|, or the
// gap between the roots relative to the larger, exceeds 1e-5).
bool distinct_phases(double z_liquid, double z_vapour, std::span<const double> k);
bool distinct_phases(const NewtonPoint& point);

// The composition has n finite, non-negative entries that sum to one (to
// 1e-12): what the kernel's formula assumes. The general procedures take any
// other composition as given.
bool well_formed(std::span<const double> composition, std::size_t n);

// The public result of a converged point (T or P as `value`).
IncipientPoint incipient_point(double value, const NewtonPoint& point);

// The certified fast paths: Newton from Wilson's estimate (the substitution's
// own start for a pressure), accepted for distinct phases, |S - 1| below the
// tolerance, no more than max_iterations passes, a point above the pressure
// floor and, for a temperature, on the rising branch of the point's pressure
// against T (the first one the scan meets) inside the scanned range.
std::optional<CertifiedPoint> certified_temperature(const SystemSpec& spec, double pressure,
                                                    std::span<const double> composition, Direction direction,
                                                    double tolerance, unsigned max_iterations);
std::optional<CertifiedPoint> certified_pressure(const SystemSpec& spec, double temperature,
                                                 std::span<const double> composition, Direction direction,
                                                 double tolerance, unsigned max_iterations);

// The Newton solution at an easy condition (100 kPa, or half the
// mole-fraction average of the critical temperatures) carried by
// continuation in ln P (in T) to the one asked for. Only distinct phases are
// followed, so what comes back is a genuine point on the branch that rises
// from low pressures; nothing when the branch ends first. No Newton run makes
// more than max_iterations passes.
std::optional<IncipientPoint> continued_temperature(const SystemSpec& spec, double pressure,
                                                    std::span<const double> composition, Direction direction,
                                                    double tolerance, unsigned max_iterations);
std::optional<IncipientPoint> continued_pressure(const SystemSpec& spec, double temperature,
                                                 std::span<const double> composition, Direction direction,
                                                 double tolerance, unsigned max_iterations);

// What a returned point is (incipient_judge.cpp):
//   Answer      genuine, with equal fugacities (ln f_i of the two phases
//               within 1e-8), and the given phase stable against trial
//               phases of the incipient kind;
//   Metastable  the same, but the given phase is unstable there: another
//               point, reached first on the way from the one-phase side,
//               is the stable one;
//   Trivial     no genuine point: the K = 1 solution on one root (or on its
//               way there: K and the roots within 1e-3 of each other with
//               unequal fugacities), or two phases within 1e-4 of each other
//               in every mole fraction with the given phase unstable;
//   Unsettled   distinct phases whose fugacities are not yet equal (the
//               passes ran out near a critical point).
// A composition that is not n non-negative entries summing to 1 (to 1e-12)
// is judged only by its fugacities, an evaluation that fails not at all.
// With `evaluated`, the phases at the point are taken from it.
enum class Verdict { Answer, Metastable, Trivial, Unsettled };
struct Judgement {
    Verdict verdict = Verdict::Answer;
    double fugacity_gap = 0.0;  // largest |ln f_i^L - ln f_i^V|
};
Judgement judge(const SystemSpec& spec, Direction direction, double temperature, double pressure,
                std::span<const double> composition, const IncipientPoint& point,
                const EvaluatedPhases* evaluated = nullptr);

// The stable point where the public procedures found none, or found one whose
// given phase is unstable (incipient_search.cpp): the first instability of
// the given phase against trial phases of the incipient kind met from the
// one-phase side (bubble T on heating from 50 K, dew T on cooling from 1000
// K, bubble P on lowering the pressure from 1e6 kPa, dew P on raising it
// from the floor), bracketed on a grid, bisected, and solved on the
// stationary point of the trial; a genuine, judged Answer, or nothing.
std::optional<IncipientPoint> stable_search(const SystemSpec& spec, Direction direction, Unknown unknown,
                                            double given, std::span<const double> composition, double tolerance);

// Newton from an unsettled point's T, P and K to the point it was heading
// for; nothing unless that is reached with distinct phases and
// |S - 1| < tolerance.
std::optional<IncipientPoint> settled(const SystemSpec& spec, Direction direction, Unknown unknown,
                                      double temperature, double pressure, std::span<const double> composition,
                                      const IncipientPoint& point, double tolerance, unsigned max_iterations);

}  // namespace kolvar::thermo::flash
