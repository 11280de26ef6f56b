// The stable bubble or dew point by the stability of the given phase: the
// first condition, met from the one-phase side, at which a trial phase of
// the incipient kind lowers the Gibbs energy, and the point on the
// stationary trial phase there.
#include "flash/incipient_newton.hpp"
#include "flash/phase_stability.hpp"
#include "flash/physical_attraction.hpp"

#include <cmath>
#include <limits>
#include <optional>

namespace kolvar::thermo::flash {
namespace {

using List = SmallVector<double, 8>;

constexpr double low_pressure = 1e-9;   // kPa, the floor
constexpr double high_pressure = 1e6;   // kPa
constexpr unsigned pressure_steps = 60; // four a decade
constexpr unsigned bisections = 60;
constexpr double width_temperature = 1e-9;  // K
constexpr double width_log_pressure = 1e-12;
constexpr unsigned secant_steps = 30;

struct Search {
    const SystemSpec& spec;
    Direction direction;
    Unknown unknown;
    double given;
    std::span<const double> composition;

    bool bubble() const { return direction == Direction::Bubble; }
    Phase given_kind() const { return bubble() ? Phase::Liquid : Phase::Vapor; }
    Phase incipient_kind() const { return bubble() ? Phase::Vapor : Phase::Liquid; }
    double temperature(double v) const { return unknown == Unknown::Temperature ? v : given; }
    double pressure(double v) const { return unknown == Unknown::Temperature ? given : std::exp(v); }

    // The unknown's grid (T, or ln P), in the order the one-phase side meets it.
    double grid(unsigned step) const
    {
        if (unknown == Unknown::Temperature) {
            return scan_temperature(bubble() ? step : scan_steps - step);
        }
        const double low = std::log(low_pressure);
        const double span = std::log(high_pressure) - low;
        const double share = static_cast<double>(step) / static_cast<double>(pressure_steps);
        return bubble() ? low + span * (1.0 - share) : low + span * share;
    }
    unsigned steps() const { return unknown == Unknown::Temperature ? scan_steps : pressure_steps; }
};

struct Probe {
    double tpd = 0.0;
    List w;
};

// The lowest trial of the incipient kind against the given phase at v;
// nothing where the models cannot be evaluated (a temperature to step past).
std::optional<Probe> probe(const Search& s, double v)
{
    const double t = s.temperature(v);
    const double p = s.pressure(v);
    const std::size_t n = s.composition.size();
    if (!physical_attraction(s.spec, t)) return std::nullopt;
    PhaseFugacity phases(s.spec, t, p);
    List d(n);
    if (!finite_coefficients(phases, t, p, s.given_kind(), s.composition, d)) return std::nullopt;
    for (std::size_t i = 0; i < n; ++i)
        d[i] = s.composition[i] > 0.0 ? std::log(s.composition[i]) + d[i] : -std::numeric_limits<double>::infinity();
    const KnownPhase given{s.given_kind(), s.composition};
    const TrialKinds kinds{.vapour = s.bubble(), .liquid = !s.bubble()};
    auto lowest = lowest_trial(s.spec, phases, t, p, given, d, {&given, 1}, kinds, false);
    if (!lowest || !std::isfinite(lowest->tpd)) return std::nullopt;
    return Probe{lowest->tpd, std::move(lowest->w)};
}

// The stationary trial reached from w at v: ln sum W (0 at the point) and
// the trial's composition; nothing where it cannot be evaluated.
struct Crossing {
    double log_sum;
    List w;
};
std::optional<Crossing> stationary(const Search& s, double v, const List& start)
{
    const double t = s.temperature(v);
    const double p = s.pressure(v);
    const std::size_t n = s.composition.size();
    if (!physical_attraction(s.spec, t)) return std::nullopt;
    PhaseFugacity phases(s.spec, t, p);
    List d(n), ln_f(n);
    if (!finite_coefficients(phases, t, p, s.given_kind(), s.composition, d)) return std::nullopt;
    for (std::size_t i = 0; i < n; ++i)
        d[i] = s.composition[i] > 0.0 ? std::log(s.composition[i]) + d[i] : -std::numeric_limits<double>::infinity();
    const Phase kind = s.incipient_kind();
    const auto term = [&](std::span<const double> w, std::span<double> out) {
        return phases.ln_coefficients(kind, w, out);
    };
    auto trial = tangent_plane_trial(term, d, start);
    if (!trial) return std::nullopt;
    if (!term(trial->w, ln_f)) return std::nullopt;
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        if (s.composition[i] > 0.0) sum += std::exp(d[i] - ln_f[i]);
    if (!(sum > 0.0) || !std::isfinite(sum)) return std::nullopt;
    return Crossing{std::log(sum), std::move(trial->w)};
}

}  // namespace

std::optional<IncipientPoint> stable_search(const SystemSpec& spec, Direction direction, Unknown unknown,
                                            double given, std::span<const double> composition, double tolerance)
{
    const std::size_t n = spec.components.size();
    if (!well_formed(composition, n) || n < 1 || !(given > 0.0) || !std::isfinite(given)) return std::nullopt;
    const Search s{spec, direction, unknown, given, composition};

    // The first grid interval over which the given phase turns unstable.
    std::optional<double> stable_at;
    std::optional<Probe> unstable;
    double unstable_at = 0.0;
    for (unsigned step = 0; step <= s.steps() && !unstable; ++step) {
        if (spec.stop()) return std::nullopt;
        const double v = s.grid(step);
        auto found = probe(s, v);
        if (!found) continue;
        if (found->tpd < unstable_tpd) {
            if (!stable_at) return std::nullopt;  // unstable from the start: the point lies outside the range
            unstable = std::move(found);
            unstable_at = v;
        }
        else {
            stable_at = v;
        }
    }
    if (!unstable) return std::nullopt;

    // Bisection on the instability.
    double a = *stable_at;
    double b = unstable_at;
    const double width = unknown == Unknown::Temperature ? width_temperature : width_log_pressure;
    for (unsigned i = 0; i < bisections && std::abs(b - a) > width * std::fmax(1.0, std::abs(b)); ++i) {
        if (spec.stop()) return std::nullopt;
        const double mid = 0.5 * (a + b);
        auto found = probe(s, mid);
        if (found && found->tpd < unstable_tpd) {
            b = mid;
            unstable = std::move(found);
        }
        else {
            a = mid;
        }
    }

    // The point itself: ln sum W = 0 on the stationary trial, by secant steps.
    auto at_b = stationary(s, b, unstable->w);
    auto at_a = stationary(s, a, unstable->w);
    if (!at_b || !at_a) return std::nullopt;
    double v0 = a, v1 = b;
    Crossing f0 = std::move(*at_a), f1 = std::move(*at_b);
    for (unsigned i = 0; i < secant_steps && std::abs(f1.log_sum) > 1e-13; ++i) {
        if (f1.log_sum == f0.log_sum) break;
        const double v2 = v1 - f1.log_sum * (v1 - v0) / (f1.log_sum - f0.log_sum);
        auto f2 = stationary(s, v2, f1.w);
        if (!f2 || !std::isfinite(v2)) return std::nullopt;
        v0 = v1;
        f0 = std::move(f1);
        v1 = v2;
        f1 = std::move(*f2);
    }
    if (!(std::abs(f1.log_sum) < tolerance)) return std::nullopt;

    // The point: the incipient phase and K from the two phases' fugacities.
    const double t = s.temperature(v1);
    const double p = s.pressure(v1);
    PhaseFugacity phases(spec, t, p);
    List given_term(n), incipient_term(n);
    if (!finite_coefficients(phases, t, p, s.given_kind(), composition, given_term) ||
        !finite_coefficients(phases, t, p, s.incipient_kind(), f1.w, incipient_term))
        return std::nullopt;
    IncipientPoint point{unknown == Unknown::Temperature ? t : p, std::vector<double>(f1.w.begin(), f1.w.end()),
                         std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i)
        point.k[i] = s.bubble() ? std::exp(given_term[i] - incipient_term[i]) : std::exp(incipient_term[i] - given_term[i]);
    if (judge(spec, direction, t, p, composition, point).verdict != Verdict::Answer) return std::nullopt;
    return point;
}

}  // namespace kolvar::thermo::flash
