// The tangent-plane scan of a binary liquid.
#include "thermo/binary_stability.hpp"

#include "flash/model_checks.hpp"
#include "kolvar/format.hpp"
#include "thermo/phase_fugacity.hpp"
#include "thermo/mixture.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <variant>

namespace kolvar::thermo {
namespace {

constexpr double splitting_distance = -1e-9;  // tpd below this: the liquid splits
constexpr double refined_width = 1e-10;       // bracket on w_1 of a refined minimum
constexpr unsigned refinement_steps = 60;
constexpr double descent_step = 1e-3;         // first step of binary_tangent_minimum's descent
constexpr std::array<double, 2> pure_end_trials{1e-7, 1e-4};  // w_1, and 1 - w_1 at the other end
constexpr std::size_t inner_trials = 8;                          // Chebyshev points of (0, 1)
constexpr std::size_t fixed_trials = 2 * pure_end_trials.size() + inner_trials;
// Distances from the liquid of the trials beside it, on either side: a split
// near its critical point is narrow, and its other liquid lies close by.
constexpr std::array<double, 3> near_trials{0.005, 0.02, 0.06};
constexpr std::size_t trials = fixed_trials + 2 * near_trials.size();

// Fixed trial k, increasing in w_1.
double fixed_trial(std::size_t k)
{
    const std::size_t ends = pure_end_trials.size();
    if (k < ends) return pure_end_trials[k];
    if (k >= fixed_trials - ends) return 1.0 - pure_end_trials[fixed_trials - 1 - k];
    const auto j = static_cast<double>(k - ends + 1);
    return 0.5 * (1.0 - std::cos(std::numbers::pi * j / static_cast<double>(inner_trials + 1)));
}

// The fixed trials, the trials beside the liquid x_1 and the liquid itself,
// in increasing order.
std::array<double, trials + 1> trial_fractions(double x1)
{
    std::array<double, trials + 1> w{};
    std::size_t count = 0;
    for (std::size_t k = 0; k < fixed_trials; ++k) w[count++] = fixed_trial(k);
    for (double distance : near_trials) {
        w[count++] = x1 - distance;
        w[count++] = x1 + distance;
    }
    w[count++] = x1;
    std::sort(w.begin(), w.end());
    return w;
}

// ln f_i of the liquid at composition w: ln phi on the liquid root, or ln
// gamma (the liquid's term of PhaseFugacity, which computes what depends on T
// and P once).
class LiquidTerm {
public:
    LiquidTerm(const SystemSpec& spec, double temperature, double pressure) : phases_(spec, temperature, pressure) {}

    bool composition_dependent() const { return phases_.composition_dependent(Phase::Liquid); }

    std::expected<void, ThermoError> operator()(std::span<const double> w, std::span<double> out) const
    {
        return phases_.term(Phase::Liquid, w, out);
    }

private:
    mutable PhaseFugacity phases_;  // its caches fill on first use
};

// tpd and its slope h at one trial.
struct Trial {
    double w1 = 0.0;
    double tpd = 0.0;
    double slope = 0.0;
};

class Scan {
public:
    Scan(const LiquidTerm& term, std::array<double, 2> d) : term_(term), d_(d) {}

    // The trial at w_1, or nothing when its evaluation fails or is not finite.
    std::optional<Trial> at(double w1) const
    {
        const std::array<double, 2> w{w1, 1.0 - w1};
        std::array<double, 2> ln_f{};
        if (!term_(w, ln_f)) return std::nullopt;
        const double mu1 = std::log(w[0]) + ln_f[0] - d_[0];
        const double mu2 = std::log(w[1]) + ln_f[1] - d_[1];
        const Trial trial{w1, w[0] * mu1 + w[1] * mu2, mu1 - mu2};
        if (!std::isfinite(trial.tpd) || !std::isfinite(trial.slope)) return std::nullopt;
        return trial;
    }

    // The trial of the smallest tpd met on the way to the minimum between
    // `low` (h < 0) and `high` (h > 0), by regula falsi on h with the
    // Illinois halving of an end kept twice; unless asked to go `to_the_end`,
    // it stops early once the tpd shows a split.
    Trial minimum_between(Trial low, Trial high, bool to_the_end = false) const
    {
        Trial lowest = low.tpd <= high.tpd ? low : high;
        double h_low = low.slope;
        double h_high = high.slope;
        int moved = 0;  // the end the last step replaced: -1 low, +1 high
        for (unsigned step = 0; step < refinement_steps && high.w1 - low.w1 > refined_width; ++step) {
            double w1 = (low.w1 * h_high - high.w1 * h_low) / (h_high - h_low);
            if (!(w1 > low.w1 && w1 < high.w1)) w1 = 0.5 * (low.w1 + high.w1);
            const auto trial = at(w1);
            if (!trial) break;
            if (trial->tpd < lowest.tpd) lowest = *trial;
            if (!to_the_end && lowest.tpd < splitting_distance) break;
            if (trial->slope < 0.0) {
                low = *trial;
                h_low = trial->slope;
                if (moved == -1) h_high *= 0.5;
                moved = -1;
            }
            else {
                high = *trial;
                h_high = trial->slope;
                if (moved == 1) h_low *= 0.5;
                moved = 1;
            }
        }
        return lowest;
    }

    // Where tpd may dip to a minimum between two neighbouring trials whose
    // slopes do not say so: the cubic through their values and slopes has a
    // slope that turns negative between them, most negative at the w_1
    // returned. Nothing otherwise.
    // Whether the cubic through the two trials' values and slopes is convex,
    // as tpd (and the Gibbs energy) is wherever the liquid cannot split.
    static bool convex_between(const Trial& a, const Trial& b)
    {
        const double width = b.w1 - a.w1;
        const double s0 = a.slope * width;
        const double s1 = b.slope * width;
        const double rise = b.tpd - a.tpd;
        const double start = 6.0 * rise - 4.0 * s0 - 2.0 * s1;  // second derivatives at either end
        const double end = 4.0 * s1 + 2.0 * s0 - 6.0 * rise;
        return start >= 0.0 && end >= 0.0;
    }

    static std::optional<double> hidden_dip(const Trial& a, const Trial& b)
    {
        const double width = b.w1 - a.w1;
        const double s0 = a.slope * width;
        const double s1 = b.slope * width;
        const double rise = b.tpd - a.tpd;
        const double c2 = 3.0 * (s0 + s1) - 6.0 * rise;
        const double c1 = 6.0 * rise - 4.0 * s0 - 2.0 * s1;
        if (!(c2 > 0.0)) return std::nullopt;
        const double t = -c1 / (2.0 * c2);
        if (!(t > 0.0 && t < 1.0) || !(s0 + t * (c1 + t * c2) < 0.0)) return std::nullopt;
        return a.w1 + t * width;
    }

private:
    const LiquidTerm& term_;
    std::array<double, 2> d_;
};

// d_i = ln x_i + ln f_i(x) of the (normalised) liquid x.
std::expected<std::array<double, 2>, ThermoError> tangent(const LiquidTerm& term, const std::array<double, 2>& liquid,
                                                         double temperature, double pressure)
{
    std::array<double, 2> d{};
    if (auto ok = term(liquid, d); !ok) return std::unexpected(ok.error());
    for (std::size_t i = 0; i < 2; ++i) {
        d[i] += std::log(liquid[i]);
        if (!std::isfinite(d[i]))
            return std::unexpected(ThermoError::evaluation(format::text(
                "non-finite tangent-plane distance at T = ", temperature, " K, P = ", pressure, " kPa")));
    }
    return d;
}

}  // namespace

std::expected<std::optional<TangentMinimum>, ThermoError> binary_tangent_minimum(const SystemSpec& spec,
                                                                                 double temperature,
                                                                                 double pressure,
                                                                                 std::span<const double> x,
                                                                                 double start)
{
    if (auto ok = flash::check_models(spec, spec.components.size()); !ok) return std::unexpected(ok.error());
    if (spec.components.size() != 2 || x.size() != 2) return std::nullopt;
    const double sum = x[0] + x[1];
    if (!(x[0] > 0.0 && x[1] > 0.0 && std::isfinite(sum)) || !(start > 0.0 && start < 1.0)) return std::nullopt;
    const LiquidTerm term(spec, temperature, pressure);
    const std::array<double, 2> liquid{x[0] / sum, x[1] / sum};
    const auto d = tangent(term, liquid, temperature, pressure);
    if (!d) return std::unexpected(d.error());
    const Scan scan(term, *d);

    auto from = scan.at(start);
    if (!from) return std::nullopt;
    // Downhill is where tpd falls: against the sign of its slope h.
    const double direction = from->slope > 0.0 ? -1.0 : 1.0;
    const double side = start - liquid[0];
    double step = descent_step;
    for (unsigned k = 0; k < refinement_steps; ++k) {
        double w1 = from->w1 + direction * step;
        // Towards a pure end the steps halve the distance left.
        if (!(w1 > 0.0 && w1 < 1.0)) w1 = direction < 0.0 ? 0.5 * from->w1 : 0.5 * (1.0 + from->w1);
        if (!((w1 - liquid[0]) * side > 0.0)) return std::nullopt;
        const auto to = scan.at(w1);
        if (!to) return std::nullopt;
        if (to->slope * direction > 0.0 || to->slope == 0.0) {
            const Trial lowest = direction > 0.0 ? scan.minimum_between(*from, *to, true)
                                                 : scan.minimum_between(*to, *from, true);
            return TangentMinimum{lowest.w1, lowest.tpd, lowest.tpd < splitting_distance};
        }
        from = to;
        step *= 2.0;
    }
    return std::nullopt;
}

std::expected<BinaryStability, ThermoError> binary_liquid_splits(const SystemSpec& spec, double temperature,
                                                                 double pressure, std::span<const double> x)
{
    constexpr BinaryStability cannot_split{.splits = false, .convex = true};
    if (auto ok = flash::check_models(spec, spec.components.size()); !ok) return std::unexpected(ok.error());
    if (spec.components.size() != 2 || x.size() != 2) return cannot_split;
    const double sum = x[0] + x[1];
    if (!(x[0] > 0.0 && x[1] > 0.0 && std::isfinite(sum))) return cannot_split;
    const LiquidTerm term(spec, temperature, pressure);
    if (!term.composition_dependent()) return cannot_split;

    const std::array<double, 2> liquid{x[0] / sum, x[1] / sum};
    const auto d = tangent(term, liquid, temperature, pressure);
    if (!d) return std::unexpected(d.error());
    const Scan scan(term, *d);
    const Trial itself{liquid[0], 0.0, 0.0};
    const auto splits_at = [](double w1) { return BinaryStability{.splits = true, .convex = false, .witness = w1}; };

    // Inside its spinodal a liquid lies above the tangent right beside it.
    // These two trials are kept for the full scan below.
    const std::array<double, 2> beside_w1{liquid[0] - near_trials[0], liquid[0] + near_trials[0]};
    std::array<std::optional<Trial>, 2> beside{};
    for (std::size_t k = 0; k < beside.size(); ++k) {
        if (!(beside_w1[k] > 0.0 && beside_w1[k] < 1.0)) continue;
        beside[k] = scan.at(beside_w1[k]);
        if (beside[k] && beside[k]->tpd < splitting_distance) return splits_at(beside_w1[k]);
    }

    // Then the fixed trials and the liquid: a Gibbs energy convex through
    // all of them splits no liquid at this temperature and pressure.
    struct Sample {
        double w1;
        std::optional<Trial> trial;
    };
    std::array<Sample, fixed_trials + 1> first{};
    std::size_t count = 0;
    bool placed = false;
    for (std::size_t k = 0; k < fixed_trials; ++k) {
        const double w1 = fixed_trial(k);
        if (!placed && liquid[0] <= w1) {
            first[count++] = {liquid[0], itself};
            placed = true;
        }
        if (w1 != liquid[0]) first[count++] = {w1, scan.at(w1)};
    }
    if (!placed) first[count++] = {liquid[0], itself};
    // Towards the pure ends, where ln w makes the slope steep beyond what a
    // cubic follows, a slope that rises is all that is asked. Convex beside
    // the liquid (on every interval within the reach of the trials beside
    // it), the Gibbs energy has no narrow split there for those trials to find.
    const std::size_t ends = pure_end_trials.size();
    const double reach = near_trials.back();
    bool convex = true;
    bool convex_beside = true;
    for (std::size_t k = 0; k < count; ++k) {
        bool rising = first[k].trial.has_value();
        if (rising && first[k].trial->tpd < splitting_distance) return splits_at(first[k].w1);
        if (rising && k > 0) {
            rising = first[k - 1].trial.has_value();
            if (rising) {
                const Trial& a = *first[k - 1].trial;
                const Trial& b = *first[k].trial;
                rising = k <= ends || k + ends >= count ? b.slope > a.slope : Scan::convex_between(a, b);
            }
        }
        convex = convex && rising;
        const bool beside_liquid = first[k].w1 > liquid[0] - reach && (k == 0 || first[k - 1].w1 < liquid[0] + reach);
        if (beside_liquid) convex_beside = convex_beside && rising;
    }
    if (convex) return cannot_split;

    // Otherwise every trial, those beside the liquid among them (a narrow
    // split's other liquid lies close by) unless the Gibbs energy is convex
    // there, in increasing w_1; trials outside (0, 1) are left out.
    std::optional<Trial> previous;
    std::size_t next_first = 0;
    for (double w1 : trial_fractions(liquid[0])) {
        if (!(w1 > 0.0 && w1 < 1.0)) continue;
        std::optional<Trial> trial;
        if (next_first < count && first[next_first].w1 == w1) trial = first[next_first++].trial;
        else if (w1 == beside_w1[0]) trial = beside[0];
        else if (w1 == beside_w1[1]) trial = beside[1];
        else if (convex_beside) continue;
        else trial = scan.at(w1);
        if (!trial) {
            previous.reset();
            continue;
        }
        if (trial->tpd < splitting_distance) return splits_at(w1);
        if (previous && !(previous->slope < 0.0)) {
            // A minimum the two trials straddle without a sign change of h
            // shows where the cubic through them dips; a trial there gives
            // the sign change.
            if (const auto dip = Scan::hidden_dip(*previous, *trial)) {
                if (const auto inside = scan.at(*dip)) {
                    if (inside->tpd < splitting_distance) return splits_at(*dip);
                    if (inside->slope < 0.0) previous = inside;
                }
            }
        }
        if (previous && previous->slope < 0.0 && trial->slope > 0.0) {
            if (const Trial lowest = scan.minimum_between(*previous, *trial); lowest.tpd < splitting_distance)
                return splits_at(lowest.w1);
        }
        previous = trial;
    }
    return BinaryStability{.splits = false, .convex = false};
}

}  // namespace kolvar::thermo
