// The stable phase set of a feed: stability analysis, then a multiphase
// split by successive substitution with Michelsen's phase-fraction
// minimisation in every pass, accelerated by Anderson mixing of the phases'
// ln phi.
#include "thermo/multiphase_flash.hpp"

#include "flash/anderson_mixing.hpp"
#include "flash/model_checks.hpp"
#include "flash/phase_fractions.hpp"
#include "flash/phase_stability.hpp"
#include "flash/physical_attraction.hpp"
#include "kolvar/format.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <variant>

namespace kolvar::thermo {
namespace {

using flash::max_phases;
using flash::minimise_fractions;
using flash::TrialList;
using flash::weights;

constexpr unsigned split_passes = 2000;
constexpr double split_change = 1e-10;   // largest |ln phi_new - ln phi_old| of a converged split
constexpr double negligible_fraction = 1e-15;  // a phase with no more of the feed leaves
constexpr double same_phase = 1e-6;            // two phases of one kind this close are one
constexpr unsigned stall_passes = 20;  // passes without halving the change before the roots are chosen by G
// A trial whose tm falls this far below 0 has shown the phase unstable: it
// stops there and the split goes on from its composition.
constexpr double settled_enough = -1e-3;

struct SplitPhase {
    Phase kind;
    double fraction;
    TrialList x;       // normalised
    TrialList ln_phi;  // ln(f_i/(x_i P)) at x
    bool evaluated = false;  // ln_phi is the one of x, on this kind's root, as evaluate gives it
};

using Phases = SmallVector<SplitPhase, max_phases>;
using StateList = SmallVector<double, max_phases * 8>;  // one entry per phase and component

class Splitter {
public:
    Splitter(const SystemSpec& spec, PhaseFugacity& phases, double temperature, double pressure,
             std::span<const double> z)
        : spec_(spec), phases_(phases), temperature_(temperature), pressure_(pressure), z_(z),
          one_eos_(flash::one_equation_of_state(spec))
    {
    }

    double temperature() const { return temperature_; }
    double pressure() const { return pressure_; }

    // Fugacity coefficients of every phase at its composition.
    std::expected<void, ThermoError> evaluate(SplitPhase& phase)
    {
        phase.evaluated = true;
        if (!by_gibbs_)
            return flash::finite_coefficients(phases_, temperature_, pressure_, phase.kind, phase.x, phase.ln_phi);
        TrialList other(phase.x.size());
        const Phase other_kind = phase.kind == Phase::Vapor ? Phase::Liquid : Phase::Vapor;
        if (auto ok = flash::finite_coefficients(phases_, temperature_, pressure_, phase.kind, phase.x, phase.ln_phi); !ok)
            return ok;
        if (!flash::finite_coefficients(phases_, temperature_, pressure_, other_kind, phase.x, other)) return {};
        double g = 0.0;
        double g_other = 0.0;
        for (std::size_t i = 0; i < phase.x.size(); ++i) {
            g += phase.x[i] * phase.ln_phi[i];
            g_other += phase.x[i] * other[i];
        }
        if (g_other < g) {
            phase.kind = other_kind;
            phase.ln_phi = other;
        }
        return {};
    }

    // Successive substitution on the phases' compositions, starting from
    // theirs, with Anderson mixing of the phases' ln phi when `accelerate`.
    std::expected<void, ThermoError> split(Phases& set, bool accelerate)
    {
        const std::size_t m = set.size();
        const std::size_t n = z_.size();
        SmallVector<TrialList, max_phases> inverse_phi(m, TrialList(n));
        std::array<double, 3> beta{};
        TrialList e(n);
        // The fractions the phases had; a phase that joins starts at 0 and
        // enters when it lowers Q.
        for (std::size_t k = 0; k < m; ++k) {
            beta[k] = set[k].fraction;
            if (set[k].evaluated && !by_gibbs_) continue;
            if (auto ok = evaluate(set[k]); !ok) return ok;
        }
        double change = std::numeric_limits<double>::infinity();
        double progress = change;
        unsigned stalled = 0;
        bool was_by_gibbs = by_gibbs_;
        // The mixing runs on the phases' ln phi as one vector (the present
        // components only): `values` the evaluated ones, `step` the change of
        // the pass, `next` where the next pass starts.
        flash::AndersonMixing mixing(m * n);
        StateList step(m * n), values(m * n), next(m * n);
        bool mixed = false;  // this pass starts from a combination of earlier ones
        for (unsigned pass = 0; pass < split_passes; ++pass) {
            if (spec_.stop()) return std::unexpected(ThermoError::stopped());
            for (std::size_t k = 0; k < m; ++k)
                for (std::size_t i = 0; i < n; ++i) inverse_phi[k][i] = std::exp(-set[k].ln_phi[i]);
            weights(std::span<const double>(beta.data(), m), inverse_phi, e);
            minimise_fractions(z_, inverse_phi, std::span<double>(beta.data(), m), e);
            change = 0.0;
            bool same_roots = true;  // no phase changed its root (by_gibbs_) in this pass
            for (std::size_t k = 0; k < m; ++k) {
                double total = 0.0;
                for (std::size_t i = 0; i < n; ++i) {
                    set[k].x[i] = z_[i] == 0.0 ? 0.0 : z_[i] * inverse_phi[k][i] / e[i];
                    total += set[k].x[i];
                }
                for (double& v : set[k].x) v /= total;
                set[k].fraction = beta[k];
                const Phase kind = set[k].kind;
                for (std::size_t i = 0; i < n; ++i) step[k * n + i] = set[k].ln_phi[i];
                if (auto ok = evaluate(set[k]); !ok) return ok;
                same_roots = same_roots && set[k].kind == kind;
                for (std::size_t i = 0; i < n; ++i) {
                    double& s = step[k * n + i];
                    s = z_[i] > 0.0 ? set[k].ln_phi[i] - s : 0.0;
                    change = std::fmax(change, std::abs(s));
                }
            }
            // A phase near the end of its liquid (or vapour) root can make the
            // passes cycle between the roots; from then on each phase takes
            // the root of the lower Gibbs energy.
            if (change < 0.5 * progress) {
                progress = change;
                stalled = 0;
            }
            else if (++stalled == stall_passes && !by_gibbs_ && one_eos_) {
                by_gibbs_ = true;
                for (std::size_t k = 0; k < m; ++k)
                    if (auto ok = evaluate(set[k]); !ok) return ok;
            }
            if (!std::isfinite(change))
                return std::unexpected(ThermoError::evaluation(
                    format::text("non-finite fugacity at T = ", temperature_, " K, P = ", pressure_, " kPa")));
            // A pass from a mixed point that meets the tolerance is checked by
            // a plain pass from where it arrived.
            if (change < split_change && mixed) {
                mixed = false;
                mixing.clear();
                continue;
            }
            if (change < split_change) {
                // The fractions of the final coefficients.
                std::array<bool, max_phases> present{};
                for (std::size_t k = 0; k < m; ++k) present[k] = beta[k] > 0.0;
                for (std::size_t k = 0; k < m; ++k)
                    for (std::size_t i = 0; i < n; ++i) inverse_phi[k][i] = std::exp(-set[k].ln_phi[i]);
                weights(std::span<const double>(beta.data(), m), inverse_phi, e);
                minimise_fractions(z_, inverse_phi, std::span<double>(beta.data(), m), e);
                // With more phases than components the fractions need not be
                // unique: a phase that takes a share only now was evaluated
                // at a composition it does not have, and the passes go on.
                bool joined = false;
                for (std::size_t k = 0; k < m; ++k) joined = joined || (beta[k] > 0.0 && !present[k]);
                if (joined) {
                    mixing.clear();
                    mixed = false;
                    continue;
                }
                for (std::size_t k = 0; k < m; ++k) {
                    set[k].fraction = beta[k];
                    if (!(beta[k] > 0.0)) continue;
                    double total = 0.0;
                    for (std::size_t i = 0; i < n; ++i) {
                        set[k].x[i] = z_[i] == 0.0 ? 0.0 : z_[i] * inverse_phi[k][i] / e[i];
                        total += set[k].x[i];
                    }
                    for (double& v : set[k].x) v /= total;
                }
                // The compositions moved with the final fractions.
                for (SplitPhase& phase : set) phase.evaluated = false;
                return {};
            }
            // A pass that switched roots is no step of one smooth sequence:
            // the mixing starts afresh.
            if (!accelerate) continue;
            if (!same_roots || by_gibbs_ != was_by_gibbs) {
                mixing.clear();
                mixed = false;
                was_by_gibbs = by_gibbs_;
                continue;
            }
            for (std::size_t k = 0; k < m; ++k)
                for (std::size_t i = 0; i < n; ++i) values[k * n + i] = z_[i] > 0.0 ? set[k].ln_phi[i] : 0.0;
            mixed = mixing.advise(values, step, next);
            for (std::size_t k = 0; k < m; ++k)
                for (std::size_t i = 0; i < n; ++i)
                    if (z_[i] > 0.0) set[k].ln_phi[i] = next[k * n + i];
        }
        return std::unexpected(ThermoError::no_convergence("stable flash", split_passes, change));
    }

private:
    const SystemSpec& spec_;
    PhaseFugacity& phases_;
    double temperature_;
    double pressure_;
    std::span<const double> z_;
    bool one_eos_;
    bool by_gibbs_ = false;
};

// The phases of a split that took a share of the feed, a phase that ended on
// another of the same kind joined to it.
Phases merged(Phases set)
{
    Phases kept;
    for (SplitPhase& phase : set) {
        if (!(phase.fraction > negligible_fraction)) continue;
        SplitPhase* twin = nullptr;
        for (SplitPhase& other : kept)
            if (other.kind == phase.kind && flash::composition_distance(other.x, phase.x) < same_phase) twin = &other;
        if (twin != nullptr) twin->fraction += phase.fraction;
        else kept.push_back(std::move(phase));
    }
    return kept;
}

// sum_i z_i ln f_i/P of a set of phases in equilibrium (the first phase's
// fugacities), the Gibbs energy of the set over RT per mole of feed up to
// terms the same for every set.
double gibbs(const Phases& set, std::span<const double> z)
{
    double g = 0.0;
    for (std::size_t i = 0; i < z.size(); ++i)
        if (z[i] > 0.0) g += z[i] * (std::log(set[0].x[i]) + set[0].ln_phi[i]);
    return g;
}

// Rounds of stability test and split from the feed's own phase, until the
// phases are stable or three are present. With `quick`, a trial that shows
// instability by tm < -1e-3 stops there and the split starts from it with
// Anderson mixing, then with plain passes; every split must lower the Gibbs
// energy sum_i z_i ln f_i of the phases it started from (the trial phase
// proves that it can), and when neither does, the rounds have gone astray
// (std::nullopt). Without `quick`, every trial runs to its stationary point
// and every split takes plain passes.
std::expected<std::optional<Phases>, ThermoError> settle(const SystemSpec& spec, PhaseFugacity& phases,
                                                         Splitter& splitter, std::span<const double> z, Phases set,
                                                         bool quick)
{
    const std::size_t n = z.size();
    const double temperature = splitter.temperature();
    const double pressure = splitter.pressure();
    TrialList d(n);
    for (unsigned round = 0; round < max_phases; ++round) {
        // Every phase has the same ln f_i; the first one's serve as d.
        const SplitPhase& first = set[0];
        for (std::size_t i = 0; i < n; ++i)
            d[i] = z[i] > 0.0 ? std::log(first.x[i]) + first.ln_phi[i] : -std::numeric_limits<double>::infinity();
        const double g_before = gibbs(set, z);
        SmallVector<flash::KnownPhase, max_phases> known;
        for (const SplitPhase& phase : set) known.push_back({phase.kind, phase.x});
        // After a split every known phase is a solved equilibrium phase.
        auto lowest = flash::lowest_trial(spec, phases, temperature, pressure, known[0], d, known, {}, true, round > 0,
                                          quick ? settled_enough : -std::numeric_limits<double>::infinity());
        if (!lowest) return std::unexpected(std::move(lowest.error()));
        if (!(lowest->tpd < unstable_tpd) || set.size() == max_phases) break;
        Phases joined = set;
        joined.push_back(SplitPhase{lowest->kind, 0.0, lowest->w, TrialList(n)});
        // The trial's own evaluation at w, when the test kept it.
        if (!lowest->ln_phi.empty()) {
            joined.back().ln_phi = lowest->ln_phi;
            joined.back().evaluated = true;
        }
        // With one equation of state, a trial on a single root is a vapour or
        // a liquid only by its density; when the split from it does not lower
        // the Gibbs energy (it falls back to the phases it started from), it
        // is tried as the other kind.
        SmallVector<Phase, 2> labels;
        labels.push_back(lowest->kind);
        if (flash::one_equation_of_state(spec))
            labels.push_back(lowest->kind == Phase::Vapor ? Phase::Liquid : Phase::Vapor);
        const auto relabelled = [&](Phase label) {
            Phases start = joined;
            if (label != start.back().kind) {
                start.back().kind = label;
                start.back().evaluated = false;
            }
            return start;
        };
        if (!quick) {
            // The first split that lowers the Gibbs energy, else the first label's.
            std::optional<Phases> kept;
            for (const Phase label : labels) {
                Phases next = relabelled(label);
                if (auto ok = splitter.split(next, false); !ok) return std::unexpected(ok.error());
                next = merged(std::move(next));
                const bool lowered = next.size() > 1 && gibbs(next, z) < g_before;
                if (!kept || lowered) kept = std::move(next);
                if (lowered) break;
            }
            set = std::move(*kept);
        }
        else {
            bool lowered = false;
            for (const Phase label : labels) {
                for (const bool accelerate : {true, false}) {
                    Phases next = relabelled(label);
                    if (auto ok = splitter.split(next, accelerate); !ok) {
                        if (spec.stop()) return std::unexpected(ok.error());
                        continue;
                    }
                    next = merged(std::move(next));
                    if (next.size() > 1 && gibbs(next, z) < g_before) {
                        set = std::move(next);
                        lowered = true;
                        break;
                    }
                }
                if (lowered) break;
            }
            if (!lowered) return std::optional<Phases>{};
        }
        if (set.size() <= 1) {
            // The split gave everything back to one phase: the feed as it.
            set.resize(1);
            set[0].fraction = 1.0;
            set[0].x = TrialList(z);
            if (auto ok = splitter.evaluate(set[0]); !ok) return std::unexpected(ok.error());
        }
    }
    return std::optional<Phases>{std::move(set)};
}

}  // namespace

std::expected<std::vector<PhaseShare>, ThermoError> stable_flash(const SystemSpec& spec, double temperature,
                                                                 double pressure, std::span<const double> feed)
{
    const std::size_t n = spec.components.size();
    if (feed.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(format::text("components=", n, ", z=", feed.size())));
    if (auto ok = flash::check_models(spec, n); !ok) return std::unexpected(ok.error());
    TrialList z(n);
    if (auto ok = flash::normalised_composition(feed, z); !ok) return std::unexpected(ok.error());
    if (auto ok = flash::physical_attraction(spec, temperature); !ok) return std::unexpected(ok.error());

    PhaseFugacity phases(spec, temperature, pressure);
    Splitter splitter(spec, phases, temperature, pressure, z);

    // The feed as the lower of its liquid and vapour Gibbs energies.
    SplitPhase as_liquid{Phase::Liquid, 1.0, z, TrialList(n)};
    SplitPhase as_vapour{Phase::Vapor, 1.0, z, TrialList(n)};
    if (auto ok = splitter.evaluate(as_liquid); !ok) return std::unexpected(ok.error());
    if (auto ok = splitter.evaluate(as_vapour); !ok) return std::unexpected(ok.error());
    double g_liquid = 0.0;
    double g_vapour = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        if (z[i] == 0.0) continue;
        g_liquid += z[i] * as_liquid.ln_phi[i];
        g_vapour += z[i] * as_vapour.ln_phi[i];
    }
    Phases set;
    set.push_back(g_vapour <= g_liquid ? as_vapour : as_liquid);

    // The quick rounds first; where they go astray, the plain ones.
    auto settled = settle(spec, phases, splitter, z, set, true);
    if (!settled) return std::unexpected(std::move(settled.error()));
    if (!*settled) {
        Splitter plain(spec, phases, temperature, pressure, z);
        settled = settle(spec, phases, plain, z, set, false);
        if (!settled) return std::unexpected(std::move(settled.error()));
    }
    set = std::move(**settled);

    double total = 0.0;
    for (const SplitPhase& phase : set) total += phase.fraction;
    std::vector<PhaseShare> out;
    out.reserve(set.size());
    for (SplitPhase& phase : set) {
        const Phase kind = flash::true_kind(spec, phases, temperature, pressure, phase.kind, phase.x);
        out.push_back(PhaseShare{kind, set.size() == 1 ? 1.0 : phase.fraction / total,
                                 std::vector<double>(phase.x.begin(), phase.x.end())});
    }
    std::stable_sort(out.begin(), out.end(), [](const PhaseShare& a, const PhaseShare& b) {
        if (a.kind != b.kind) return a.kind == Phase::Vapor;
        return a.composition[0] > b.composition[0];
    });
    return out;
}

}  // namespace kolvar::thermo
