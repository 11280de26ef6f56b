// Tangent-plane stability of a liquid or a vapour against trial phases of
// either kind.
#include "flash/phase_stability.hpp"

#include "flash/model_checks.hpp"
#include "kolvar/format.hpp"
#include "thermo/component_parameters.hpp"

#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <variant>

namespace kolvar::thermo {
namespace flash {
namespace {

constexpr double pure_trial = 1e-3;       // the other components' share of a nearly pure trial
constexpr double known_tpd = 1e-8;        // |tm| of a trial that ended on a known phase
constexpr double same_root = 1e-10;       // relative gap of two roots that are one
constexpr double arrival_distance = 1e-5; // a trial this close to a stationary point has reached it
// The same for a solved phase of an equilibrium (tm = 0, a minimum), and
// wider when the solved phases lie well apart.
constexpr double solved_arrival = 1e-4;
constexpr double solved_arrival_apart = 1e-3;
constexpr double well_apart = 1e-2;
constexpr double near_tested = 1e-4;      // stationary points this close to the tested phase are not waited for
// A single root at a molar volume below this many covolumes is a liquid's.
constexpr double dense_volume = 1.75;

ThermoError non_finite_tpd(double temperature, double pressure)
{
    return ThermoError::evaluation(format::text("non-finite tangent-plane distance at T = ", temperature,
                                                " K, P = ", pressure, " kPa"));
}

}  // namespace

Phase true_kind(const SystemSpec& spec, PhaseFugacity& phases, double temperature, double pressure,
                Phase labelled, std::span<const double> w, const double* vapour_root)
{
    if (labelled != Phase::Vapor || !one_equation_of_state(spec)) return labelled;
    TrialList scratch(w.size());
    double z_liquid = 0.0;
    double z_vapour = vapour_root != nullptr ? *vapour_root : 0.0;
    if (!phases.term(Phase::Liquid, w, scratch, &z_liquid) ||
        (vapour_root == nullptr && !phases.term(Phase::Vapor, w, scratch, &z_vapour)))
        return labelled;
    if (std::abs(z_liquid - z_vapour) > same_root * std::fmax(std::abs(z_liquid), std::abs(z_vapour))) return labelled;
    const ComponentParameters parameters = component_parameters(spec.components, spec.vapor.eos, temperature, pressure);
    double b = 0.0;
    for (std::size_t i = 0; i < w.size(); ++i) b += w[i] * parameters.b[i];
    return z_vapour < dense_volume * b ? Phase::Liquid : Phase::Vapor;
}

std::expected<void, ThermoError> finite_coefficients(PhaseFugacity& phases, double temperature, double pressure,
                                                     Phase kind, std::span<const double> w, std::span<double> out,
                                                     double* compressibility)
{
    if (auto ok = phases.ln_coefficients(kind, w, out, compressibility); !ok) return ok;
    if (!finite_where_present(w, out))
        return std::unexpected(ThermoError::evaluation(
            format::text("non-finite fugacity at T = ", temperature, " K, P = ", pressure, " kPa")));
    return {};
}

std::expected<Stationary, ThermoError> lowest_trial(const SystemSpec& spec, PhaseFugacity& phases,
                                                    double temperature, double pressure, const KnownPhase& tested,
                                                    std::span<const double> d, std::span<const KnownPhase> known,
                                                    TrialKinds kinds, bool first_negative, bool solved_known,
                                                    double enough)
{
    const std::size_t n = tested.composition.size();
    const std::span<const double> z = tested.composition;
    Stationary best{0.0, tested.kind, TrialList(z), TrialList{}};
    TrialList wilson(n);
    for (std::size_t i = 0; i < n; ++i) wilson[i] = wilson_k(spec.components[i], temperature, pressure);
    // Stationary points already reached by a trial of the running kind, and
    // the known phases of that kind: a later trial that comes close to one
    // ends there, its value being that point's.
    struct Reached {
        TrialList w;
        double tpd;
        bool known;
    };
    SmallVector<Reached, 9> reached;
    double gap = std::numeric_limits<double>::infinity();  // of the closest two known phases
    for (std::size_t a = 0; a < known.size(); ++a)
        for (std::size_t b = a + 1; b < known.size(); ++b)
            gap = std::fmin(gap, composition_distance(known[a].composition, known[b].composition));
    const double solved_radius = gap >= well_apart ? solved_arrival_apart : solved_arrival;

    // The trial phases of a kind that are tried: a second phase of the
    // tested kind needs a composition-dependent term.
    const auto tried = [&](Phase kind) {
        if (!(kind == Phase::Vapor ? kinds.vapour : kinds.liquid)) return false;
        return kind != tested.kind || phases.composition_dependent(kind);
    };
    const bool probing = first_negative && enough > -std::numeric_limits<double>::infinity();
    // Whether a known phase is of this kind. Wilson's start estimates the
    // phase of the other kind in equilibrium with the tested one; where every
    // known phase is solved (after a split, or at an incipient point), a kind
    // that has one has that phase already, and its trials start from the pure
    // components alone.
    const auto has_known = [&](Phase kind) {
        for (const KnownPhase& phase : known)
            if (phase.kind == kind) return true;
        return false;
    };
    // Start s of a kind's trials: the other kind from Wilson's K-values
    // (s = 0), then nearly pure trials of every present component; nothing
    // where that start is not tried.
    const auto start_of = [&](Phase kind, std::size_t s) -> std::optional<TrialList> {
        const std::size_t start = s == 0 ? n : s - 1;
        const bool from_wilson = start == n;
        if (from_wilson && kind == tested.kind) return std::nullopt;
        if (from_wilson && solved_known && has_known(kind)) return std::nullopt;
        if (!from_wilson && z[start] == 0.0) return std::nullopt;
        TrialList w(n);
        double total = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            if (z[i] == 0.0) w[i] = 0.0;
            else if (from_wilson) w[i] = kind == Phase::Vapor ? z[i] * wilson[i] : z[i] / wilson[i];
            else w[i] = i == start ? 1.0 : pure_trial;
            total += w[i];
        }
        for (double& v : w) v /= total;
        return w;
    };
    // Whether a trial of `kind` that ended at w is a phase already known.
    const auto is_known = [&](Phase kind, std::span<const double> w, double tpd) {
        if (kind == tested.kind && composition_distance(w, z) < trivial_distance) return true;
        for (const KnownPhase& phase : known) {
            if (composition_distance(w, phase.composition) < trivial_distance &&
                (phase.kind == kind || std::abs(tpd) < known_tpd))
                return true;
        }
        return false;
    };

    // An unstable phase is mostly shown so by the very first pass of some
    // trial. When a trial may end as soon as tm falls below `enough`, the
    // first passes of every trial with a composition-dependent term come
    // first, and the first of them below `enough` ends the test; the trials
    // then go on from the terms evaluated here.
    const std::size_t starts = n + 1;
    SmallVector<TrialList, 18> first_terms(probing ? 2 * starts : 0);  // empty where not evaluated
    if (probing) {
        // Wilson's start of the other kind first, then the nearly pure starts
        // of the tested kind, then those of the other kind.
        const Phase other = tested.kind == Phase::Vapor ? Phase::Liquid : Phase::Vapor;
        SmallVector<std::pair<Phase, std::size_t>, 18> order;
        order.push_back({other, 0});
        for (std::size_t s = 1; s < starts; ++s) order.push_back({tested.kind, s});
        for (std::size_t s = 1; s < starts; ++s) order.push_back({other, s});
        for (const auto& [kind, s] : order) {
            if (!tried(kind) || !phases.composition_dependent(kind)) continue;
            auto w = start_of(kind, s);
            if (!w) continue;
            if (spec.stop()) return std::unexpected(ThermoError::stopped());
            TrialList ln_f(n);
            // A failing evaluation is left to the trial itself, in its turn.
            if (!phases.ln_coefficients(kind, *w, ln_f)) continue;
            double tpd = 1.0;
            for (std::size_t i = 0; i < n; ++i)
                if ((*w)[i] > 0.0) tpd += (*w)[i] * (std::log((*w)[i]) + ln_f[i] - d[i] - 1.0);
            const std::size_t slot = (kind == Phase::Vapor ? 0 : starts) + s;
            first_terms[slot] = std::move(ln_f);
            if (!(tpd < enough) || is_known(kind, *w, tpd)) continue;
            const Phase nature = true_kind(spec, phases, temperature, pressure, kind, *w);
            if (nature == Phase::Vapor ? kinds.vapour : kinds.liquid)
                return Stationary{tpd, nature, std::move(*w),
                                  nature == kind && finite_where_present(*w, first_terms[slot]) ? first_terms[slot]
                                                                                                 : TrialList()};
        }
    }

    for (const Phase kind : {Phase::Vapor, Phase::Liquid}) {
        if (!tried(kind)) continue;
        const bool same_kind = kind == tested.kind;
        const auto term = [&](std::span<const double> w, std::span<double> out) {
            return phases.ln_coefficients(kind, w, out);
        };
        // Points near the tested phase are left out: an unstable phase's own
        // neighbourhood is where trials pass on their way elsewhere.
        const auto apart = [&](std::span<const double> w) {
            return solved_known || composition_distance(w, z) >= near_tested;
        };
        reached.clear();
        for (const KnownPhase& phase : known)
            if (phase.kind == kind && apart(phase.composition))
                reached.push_back({TrialList(phase.composition), 0.0, true});
        const Reached* arrived_at = nullptr;
        const auto arrived = [&](std::span<const double> w) {
            for (const Reached& point : reached) {
                if (composition_distance(w, point.w) < (point.known && solved_known ? solved_radius : arrival_distance)) {
                    arrived_at = &point;
                    return true;
                }
            }
            return false;
        };
        // A trial phase whose term does not change with its composition
        // (an ideal gas, an ideal solution) reaches its one stationary point,
        // W_i = exp(d_i - term_i), in its first pass from any start; when
        // that point is a known phase, every trial of the kind ends there.
        if (!same_kind && !phases.composition_dependent(kind)) {
            TrialList ln_f(n), w(n);
            if (auto ok = term(z, ln_f); !ok) return std::unexpected(std::move(ok.error()));
            double total = 0.0;
            for (std::size_t i = 0; i < n; ++i) {
                w[i] = std::isinf(d[i]) ? 0.0 : std::exp(d[i] - ln_f[i]);
                total += w[i];
            }
            for (double& v : w) v /= total;
            if (arrived(w)) continue;
        }
        // The other kind from Wilson's K-values first, then nearly pure
        // trials of every present component.
        for (std::size_t s = 0; s < starts; ++s) {
            auto w = start_of(kind, s);
            if (!w) continue;
            if (spec.stop()) return std::unexpected(ThermoError::stopped());
            const std::size_t slot = (kind == Phase::Vapor ? 0 : starts) + s;
            const bool probed = !first_terms.empty() && !first_terms[slot].empty();
            arrived_at = nullptr;
            auto trial = tangent_plane_trial(term, d, std::move(*w), same_kind ? z : std::span<const double>{}, arrived,
                                             enough, probed ? std::span<const double>(first_terms[slot])
                                                            : std::span<const double>{});
            if (!trial) return std::unexpected(std::move(trial.error()));
            if (!std::isfinite(trial->tpd)) return std::unexpected(non_finite_tpd(temperature, pressure));
            if (arrived_at != nullptr) {
                if (arrived_at->known) continue;
                trial->tpd = arrived_at->tpd;
                trial->w = arrived_at->w;
            }
            else if (reached.size() < decltype(reached)::inline_capacity && apart(trial->w)) {
                reached.push_back({trial->w, trial->tpd, false});
            }
            if (is_known(kind, trial->w, trial->tpd)) continue;
            // Only a trial below the lowest so far needs its true nature.
            if (!(trial->tpd < best.tpd)) continue;
            const Phase nature = true_kind(spec, phases, temperature, pressure, kind, trial->w);
            if (nature != kind && !(nature == Phase::Vapor ? kinds.vapour : kinds.liquid)) continue;
            best = Stationary{trial->tpd, nature, std::move(trial->w), TrialList{}};
            if (first_negative && best.tpd < unstable_tpd) return best;
        }
    }
    return best;
}

}  // namespace flash

std::expected<PhaseStability, ThermoError> phase_stability(const SystemSpec& spec, double temperature,
                                                           double pressure, std::span<const double> z, Phase kind,
                                                           TrialKinds kinds)
{
    const std::size_t n = spec.components.size();
    if (z.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(format::text("components=", n, ", z=", z.size())));
    if (auto ok = flash::check_models(spec, n); !ok) return std::unexpected(ok.error());
    flash::TrialList tested(n), d(n);
    if (auto ok = flash::normalised_composition(z, tested); !ok) return std::unexpected(ok.error());
    PhaseFugacity phases(spec, temperature, pressure);
    if (auto ok = flash::finite_coefficients(phases, temperature, pressure, kind, tested, d); !ok)
        return std::unexpected(ok.error());
    for (std::size_t i = 0; i < n; ++i)
        d[i] = tested[i] > 0.0 ? std::log(tested[i]) + d[i] : -std::numeric_limits<double>::infinity();
    const flash::KnownPhase phase{kind, tested};
    auto lowest = flash::lowest_trial(spec, phases, temperature, pressure, phase, d, {&phase, 1}, kinds, false);
    if (!lowest) return std::unexpected(std::move(lowest.error()));
    return PhaseStability{lowest->tpd, lowest->kind, std::vector<double>(lowest->w.begin(), lowest->w.end())};
}

}  // namespace kolvar::thermo
