// Fenske's minimum stages and the distribution of the non-keys that goes with
// them, iterated with the bubble points of the two products.
#include "steps.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolvar::engine {

double fenske_min_stages(double ln_light_split, double ln_heavy_split, double alpha_light)
{
    return (ln_light_split + ln_heavy_split) / std::log(alpha_light);
}

namespace multicomponent {
namespace {

using format::text;

// Passes of the distribution before it counts as unsettled; how little a
// flow may still change, as a fraction of the feed, and the products' bubble
// points, relative to themselves, for it to be settled. The temperatures
// settle too: a trace with a large K moves a bubble point long after its
// flow is below any absolute test. Near an azeotrope of a non-key with a key
// the changes shrink slowly and alternate in sign, so the limit is
// generous; a distribution that comes no closer (neither its largest change
// nor its temperatures' shift below the least seen before) in
// idle_passes passes in a row oscillates, and is given up at once.
constexpr unsigned max_passes = 500;
constexpr double settled_change = 1e-12;
constexpr double settled_temperature = 1e-9;
constexpr unsigned idle_passes = 12;

double sum_of(std::span<const double> values)
{
    double sum = 0.0;
    for (double v : values) sum += v;
    return sum;
}

void fractions(std::span<const double> flows, double total, std::vector<double>& out)
{
    out.resize(flows.size());
    for (std::size_t i = 0; i < flows.size(); ++i) out[i] = flows[i] / total;
}

}  // namespace

Result<Distribution> fenske_distribution(const ThermoSystem& system, const ShortcutSpec& spec,
                                         const CheckedSpec& checked, std::span<const double> feed_k,
                                         Interrupt& interrupt)
{
    const auto [light, heavy] = checked.keys;
    const std::size_t n = checked.z.size();
    // Flows per unit of feed: the split does not depend on F, and no feed
    // rate, however small or large, underflows the keys' flows or overflows
    // their sum.
    const std::vector<double>& feed = checked.z;

    Distribution out;
    std::vector<double>& d = out.distillate;
    std::vector<double>& b = out.bottoms;
    d.assign(n, 0.0);
    b.assign(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const bool lighter = i != heavy && (i == light || feed_k[i] > feed_k[light]);
        (lighter ? d : b)[i] = feed[i];
    }
    d[light] = spec.light_recovery * feed[light];
    b[light] = (1.0 - spec.light_recovery) * feed[light];
    d[heavy] = (1.0 - spec.heavy_recovery) * feed[heavy];
    b[heavy] = spec.heavy_recovery * feed[heavy];
    // ln(d_LK/b_LK) and ln(b_HK/d_HK), fixed by the recoveries.
    const double ln_light = std::log(spec.light_recovery / (1.0 - spec.light_recovery));
    const double ln_heavy = std::log(spec.heavy_recovery / (1.0 - spec.heavy_recovery));

    std::vector<double> x_top, x_bottom;
    std::vector<double> next_d(n), next_b(n);
    out.alpha.assign(n, 1.0);
    constexpr double infinity = std::numeric_limits<double>::infinity();
    double change = infinity;
    double least_change = infinity, least_shift = infinity;
    double top_before = infinity, bottom_before = infinity;
    unsigned idle = 0;
    unsigned pass = 0;
    while (pass < max_passes) {
        ++pass;
        if (auto going = interrupt.check(); !going) return std::unexpected(std::move(going.error()));
        fractions(d, sum_of(d), x_top);
        fractions(b, sum_of(b), x_bottom);
        auto top = system.bubble_temperature(spec.pressure, x_top, interrupt);
        if (!top) return std::unexpected(std::move(top.error()));
        auto bottom = system.bubble_temperature(spec.pressure, x_bottom, interrupt);
        if (!bottom) return std::unexpected(std::move(bottom.error()));
        for (std::size_t i = 0; i < n; ++i) {
            const double alpha = std::sqrt((top->k[i] / top->k[heavy]) * (bottom->k[i] / bottom->k[heavy]));
            if (!(std::isfinite(alpha) && alpha > 0.0)) {
                return thermo_failed(text("the relative volatility of ", component_name(system, i),
                                          " at the column's ends is no positive number, got ", alpha));
            }
            out.alpha[i] = alpha;
        }
        if (!(out.alpha[light] > 1.0)) {
            return infeasible(text("light key ", component_name(system, light),
                                   " is not more volatile than heavy key ", component_name(system, heavy),
                                   " at the column's ends: alpha = ", out.alpha[light],
                                   " (an azeotrope between the keys?)"));
        }
        out.n_min = fenske_min_stages(ln_light, ln_heavy, out.alpha[light]);
        // The bubble points of d and b, the products this pass splits from.
        out.top_temperature = top->value;
        out.bottom_temperature = bottom->value;
        const double shift = std::max(std::fabs(top->value - top_before) / top->value,
                                      std::fabs(bottom->value - bottom_before) / bottom->value);
        top_before = top->value;
        bottom_before = bottom->value;

        // Each non-key splits as d/b = (d_HK/b_HK) alpha^N_min; written through
        // the logistic function, neither flow overflows or loses its small part.
        change = 0.0;
        next_d = d;
        next_b = b;
        for (std::size_t i = 0; i < n; ++i) {
            if (i == light || i == heavy) continue;
            const double ln_split = out.n_min * std::log(out.alpha[i]) - ln_heavy;
            next_d[i] = feed[i] / (1.0 + std::exp(-ln_split));
            next_b[i] = feed[i] / (1.0 + std::exp(ln_split));
            change = std::max({change, std::fabs(next_d[i] - d[i]), std::fabs(next_b[i] - b[i])});
        }
        // Settled: d and b, whose bubble points these are, split into
        // themselves to within the tolerance (exactly, when no flow moved:
        // the next pass would repeat this one).
        if (change == 0.0 || (change <= settled_change && shift <= settled_temperature)) return out;
        d.swap(next_d);
        b.swap(next_b);
        const bool closer = change < least_change || shift < least_shift;
        least_change = std::min(least_change, change);
        least_shift = std::min(least_shift, shift);
        idle = closer ? 0 : idle + 1;
        if (idle >= idle_passes) {
            return not_converged(text("the Fenske distribution did not settle in ", pass,
                                      " iterations (largest change ", change * spec.feed_rate,
                                      " kmol/h): it oscillates, no closer in the last ", idle_passes, " passes"));
        }
    }
    return not_converged(text("the Fenske distribution did not settle in ", pass,
                              " iterations (largest change ", change * spec.feed_rate, " kmol/h)"));
}

}  // namespace multicomponent
}  // namespace kolvar::engine
