// Underwood's minimum reflux with the volatilities of the Fenske distribution.
#include "engine/multicomponent/shortcut.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace kolvar::engine {
namespace {

// sum_i alpha_i w_i / (alpha_i - theta), leaving out the absent components
// (a zero w_i adds nothing even where theta meets its alpha).
double underwood_sum(std::span<const double> alpha, std::span<const double> w, double theta)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < alpha.size(); ++i) {
        if (w[i] != 0.0) sum += alpha[i] * w[i] / (alpha[i] - theta);
    }
    return sum;
}

// The root of underwood_sum(alpha, z, theta) = target in (low, high), two
// neighbouring volatilities of the feed: across that interval the sum rises
// from -inf to +inf, so bisection keeps the root bracketed until no double
// lies between the ends. The answer lies strictly inside: a root closer to a
// volatility than one step of doubles (a target beyond what the sum reaches)
// gives the nearest double inside, and an interval without one NaN.
double root_between(std::span<const double> alpha, std::span<const double> z, double target, double low,
                    double high)
{
    const double pole_low = low, pole_high = high;
    for (;;) {
        const double mid = 0.5 * (low + high);
        if (!(mid > low && mid < high)) {
            if (low != pole_low) return low;
            return high != pole_high ? high : std::numeric_limits<double>::quiet_NaN();
        }
        const double value = underwood_sum(alpha, z, mid) - target;
        if (value == 0.0) return mid;
        (value < 0.0 ? low : high) = mid;
    }
}

}  // namespace

double underwood_min_reflux(std::span<const double> alpha, std::span<const double> z,
                            std::span<const double> x_distillate, std::size_t light, std::size_t heavy, double q)
{
    // The feed's volatilities from the heavy key's up to the light key's,
    // highest first; one root lies between each neighbouring pair.
    std::vector<double> poles;
    for (std::size_t i = 0; i < alpha.size(); ++i) {
        if (z[i] > 0.0 && alpha[i] >= alpha[heavy] && alpha[i] <= alpha[light]) poles.push_back(alpha[i]);
    }
    std::sort(poles.begin(), poles.end(), std::greater<>());
    poles.erase(std::unique(poles.begin(), poles.end()), poles.end());

    // Each root bounds the reflux from below; the largest bound is the
    // minimum. A bound that is no number makes the minimum none either.
    double r_min = 0.0;
    for (std::size_t k = 0; k + 1 < poles.size(); ++k) {
        const double theta = root_between(alpha, z, 1.0 - q, poles[k + 1], poles[k]);
        const double bound = underwood_sum(alpha, x_distillate, theta) - 1.0;
        if (std::isnan(bound)) return bound;
        r_min = std::max(r_min, bound);
    }
    return r_min;
}

}  // namespace kolvar::engine
