// What a bubble or dew point returned by any procedure is, for every model:
// an answer, a metastable point, the K = 1 solution or a pseudo-point near
// it, or a point whose fugacities are not yet equal.
#include "flash/incipient_newton.hpp"
#include "flash/model_checks.hpp"
#include "flash/phase_stability.hpp"
#include "flash/physical_attraction.hpp"

#include <cmath>
#include <limits>
#include <variant>

namespace kolvar::thermo::flash {
namespace {

using List = SmallVector<double, 8>;

// A result whose ln f_i differ between the phases by more than
// unequal_fugacity is no equilibrium; with every |ln K_i| and the relative
// gap between the roots below approaching_trivial it is the substitution
// stopped on its way to K = 1.
constexpr double approaching_trivial = 1e-3;
constexpr double unequal_fugacity = 1e-8;
// Two phases this close in every mole fraction are one phase unless the
// given one is stable.
constexpr double distinct_composition = 1e-4;

}  // namespace

Judgement judge(const SystemSpec& spec, Direction direction, double temperature, double pressure,
                std::span<const double> composition, const IncipientPoint& point, const EvaluatedPhases* evaluated)
{
    const std::size_t n = composition.size();
    const bool bubble = direction == Direction::Bubble;
    if (!well_formed(composition, spec.components.size()) || point.y.size() != n || point.k.size() != n) return {};
    const std::span<const double> x = bubble ? composition : std::span<const double>(point.y);
    const std::span<const double> y = bubble ? std::span<const double>(point.y) : composition;
    if (!physical_attraction(spec, temperature)) return {Verdict::Trivial, 0.0};
    PhaseFugacity phases(spec, temperature, pressure);
    List liquid(n), vapour(n);
    double z_liquid = std::numeric_limits<double>::quiet_NaN();
    double z_vapour = z_liquid;
    if (evaluated != nullptr) {
        liquid = evaluated->ln_phi_liquid;
        vapour = evaluated->ln_phi_vapour;
        z_liquid = evaluated->z_liquid;
        z_vapour = evaluated->z_vapour;
    }
    else if (!phases.ln_coefficients(Phase::Liquid, x, liquid, &z_liquid) ||
             !phases.ln_coefficients(Phase::Vapor, y, vapour, &z_vapour)) {
        return {};
    }
    double ln_k = 0.0;
    double fugacity_gap = 0.0;
    double apart = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        ln_k = std::fmax(ln_k, std::abs(std::log(point.k[i])));
        apart = std::fmax(apart, std::abs(x[i] - y[i]));
        if (x[i] > 0.0 && y[i] > 0.0)
            fugacity_gap = std::fmax(fugacity_gap, std::abs(std::log(x[i]) + liquid[i] - std::log(y[i]) - vapour[i]));
    }
    const bool shared_root = one_equation_of_state(spec);
    if (shared_root && !distinct_phases(z_liquid, z_vapour, point.k)) return {Verdict::Trivial, fugacity_gap};
    // Two liquids are no bubble or dew point.
    if (true_kind(spec, phases, temperature, pressure, Phase::Vapor, y, &z_vapour) != Phase::Vapor)
        return {Verdict::Trivial, fugacity_gap};
    // The general procedures accept K-values that still move by 1e-4 in a
    // pass; only a point of one equation of state can be settled by Newton.
    if (!std::isfinite(fugacity_gap) || (shared_root && fugacity_gap > unequal_fugacity)) {
        const double scale = std::fmax(std::abs(z_liquid), std::abs(z_vapour));
        const bool near_trivial =
            shared_root && ln_k < approaching_trivial && std::abs(z_liquid - z_vapour) < approaching_trivial * scale;
        return {near_trivial ? Verdict::Trivial : Verdict::Unsettled, fugacity_gap};
    }

    // The given phase against trial phases of the incipient kind (of both
    // kinds when the two phases are nearly one); the incipient phase itself
    // is known, and, the phases being distinct, solved: a trial that comes
    // near it has found it (lowest_trial says how near).
    const Phase given_kind = bubble ? Phase::Liquid : Phase::Vapor;
    const Phase incipient_kind = bubble ? Phase::Vapor : Phase::Liquid;
    const std::span<const double> given = bubble ? x : y;
    const std::span<const double> incipient = bubble ? y : x;
    const std::span<const double> given_term = bubble ? std::span<const double>(liquid) : std::span<const double>(vapour);
    List d(n);
    for (std::size_t i = 0; i < n; ++i)
        d[i] = given[i] > 0.0 ? std::log(given[i]) + given_term[i] : -std::numeric_limits<double>::infinity();
    const KnownPhase known[] = {{given_kind, given}, {incipient_kind, incipient}};
    const bool close = apart <= distinct_composition;
    const TrialKinds kinds{.vapour = bubble || close, .liquid = !bubble || close};
    const auto lowest = lowest_trial(spec, phases, temperature, pressure, known[0], d, known, kinds, true, !close);
    if (!lowest || !(lowest->tpd < unstable_tpd)) return {Verdict::Answer, fugacity_gap};
    return {close ? Verdict::Trivial : Verdict::Metastable, fugacity_gap};
}

}  // namespace kolvar::thermo::flash
