// Minimum reflux: the feed point on the q-line, then the controlling pinch on
// each side of it. Along one linear piece of the sampled curve the slope of a
// line from a fixed point changes monotonically, so the extreme slopes are
// reached at samples or at the feed point and a scan over them is exact.
#include "engine/binary/rmin.hpp"

#include "design_checks.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolvar::engine {
namespace {

constexpr double tol = binary_limits::equal_tolerance;
constexpr double infinity = std::numeric_limits<double>::infinity();
// A stripping slope at or below this leaves the stripping line on the diagonal.
constexpr double pinned_slope = 1.000000000001;

// Where the q-line y = m (x - z_F) + z_F crosses the curve: from the feed
// composition the walk goes over the samples to the right (m > 1, subcooled
// liquid) or to the left, until y* - Q changes sign from >= 0 to < 0, and the
// crossing is interpolated linearly within that bracket.
Result<Point> q_line_crossing(const EquilibriumCurve& curve, double z_feed, double q)
{
    const auto y_feed = curve.y_of_x(z_feed);
    if (!y_feed) return std::unexpected(y_feed.error());

    const double m = q / (q - 1.0);
    const auto q_line = [&](double x) { return m * (x - z_feed) + z_feed; };
    const std::span<const double> xs = curve.x();
    const std::size_t n = xs.size();

    double x_prev = z_feed;
    double g_prev = *y_feed - z_feed;
    Point crossing;
    bool found = false;
    // Returns an error, or sets `found` when sample i closes the bracket.
    const auto visit = [&](std::size_t i) -> Result<void> {
        const double xi = xs[i];
        const auto yi = curve.y_of_x(xi);
        if (!yi) return std::unexpected(yi.error());
        const double gi = *yi - q_line(xi);
        if (g_prev >= 0.0 && gi < 0.0) {
            const double xq = x_prev + (xi - x_prev) * g_prev / (g_prev - gi);
            crossing = {xq, q_line(xq)};
            found = true;
        } else {
            x_prev = xi;
            g_prev = gi;
        }
        return {};
    };

    if (m > 1.0) {
        auto i = static_cast<std::size_t>(std::upper_bound(xs.begin(), xs.end(), z_feed) - xs.begin());
        for (; i < n && !found; ++i) {
            if (auto ok = visit(i); !ok) return std::unexpected(ok.error());
        }
    } else {
        auto i = static_cast<std::size_t>(std::lower_bound(xs.begin(), xs.end(), z_feed) - xs.begin());
        while (i > 0 && !found) {
            if (auto ok = visit(--i); !ok) return std::unexpected(ok.error());
        }
    }
    if (!found) {
        return infeasible(format::text("the q-line (q = ", q,
                                       ") never meets the equilibrium curve — check z_F = ",
                                       z_feed, " and q"));
    }
    return crossing;
}

Result<Point> feed_point(const EquilibriumCurve& curve, double z_feed, double q)
{
    if (std::fabs(q - 1.0) < tol) {
        const auto y = curve.y_of_x(z_feed);
        if (!y) return std::unexpected(y.error());
        return Point{z_feed, *y};
    }
    if (std::fabs(q) < tol) {
        const auto x = curve.x_of_y(z_feed);
        if (!x) return std::unexpected(x.error());
        return Point{*x, z_feed};
    }
    return q_line_crossing(curve, z_feed, q);
}

struct Pinch {
    double slope;
    Point point;
};

// The steepest line from (x_D, x_D) to a sample with x_q <= x < x_D or to the
// feed point; the first of equal slopes is kept.
Pinch rectifying_pinch(const EquilibriumCurve& curve, double x_distillate, Point feed)
{
    Pinch best{-infinity, feed};
    const auto consider = [&](Point p) {
        if (x_distillate - p.x < tol) return;
        const double s = (x_distillate - p.y) / (x_distillate - p.x);
        if (s > best.slope) best = {s, p};
    };
    const std::span<const double> xs = curve.x();
    const std::span<const double> ys = curve.y();
    auto i = static_cast<std::size_t>(std::lower_bound(xs.begin(), xs.end(), feed.x) - xs.begin());
    for (; i < xs.size() && xs[i] < x_distillate; ++i) {
        if (feed.x <= xs[i]) consider({xs[i], ys[i]});
    }
    consider(feed);
    return best;
}

// The shallowest line from (x_B, x_B) to a sample with x_B < x <= x_q or to
// the feed point; the first of equal slopes is kept.
Pinch stripping_pinch(const EquilibriumCurve& curve, double x_bottoms, Point feed)
{
    Pinch best{infinity, feed};
    const auto consider = [&](Point p) {
        if (p.x - x_bottoms < tol) return;
        const double s = (p.y - x_bottoms) / (p.x - x_bottoms);
        if (s < best.slope) best = {s, p};
    };
    const std::span<const double> xs = curve.x();
    const std::span<const double> ys = curve.y();
    auto i = static_cast<std::size_t>(std::upper_bound(xs.begin(), xs.end(), x_bottoms) - xs.begin());
    for (; i < xs.size() && xs[i] <= feed.x; ++i) consider({xs[i], ys[i]});
    consider(feed);
    return best;
}

}  // namespace

Result<RminResult> rmin(const EquilibriumCurve& curve, double x_distillate, double x_bottoms,
                        double z_feed, double q)
{
    if (!detail::ordered(x_bottoms, z_feed, x_distillate)) {
        return detail::unordered(x_bottoms, z_feed, x_distillate);
    }
    const auto feed = feed_point(curve, z_feed, q);
    if (!feed) return std::unexpected(feed.error());

    const Pinch top = rectifying_pinch(curve, x_distillate, *feed);
    if (top.slope >= 1.0) {
        return infeasible(format::text(
            "x_D = ", x_distillate,
            " is unreachable at any reflux (equilibrium curve at or below the diagonal — "
            "azeotrope?)"));
    }
    const Pinch bottom = stripping_pinch(curve, x_bottoms, *feed);
    if (bottom.slope <= pinned_slope) {
        return infeasible(format::text(
            "x_B = ", x_bottoms,
            " is unreachable at any boilup (stripping line pinned to the diagonal)"));
    }

    // Rectifying slope s = R/(R+1). The stripping slope L'/V' equals
    // (R phi + q)/((R + 1) phi - (1 - q)) with phi = D/F, solved here for R.
    const double s = std::max(top.slope, 0.0);
    const double r_rect = s / (1.0 - s);
    const double s_s = bottom.slope;
    const double phi = (z_feed - x_bottoms) / (x_distillate - x_bottoms);
    const double r_strip = ((1.0 - q) * s_s + q - s_s * phi) / ((s_s - 1.0) * phi);

    const bool stripping_controls = std::isnan(r_rect) || std::isnan(r_strip) || r_rect < r_strip;
    RminResult result;
    result.r_min = stripping_controls ? r_strip : r_rect;
    result.pinch = stripping_controls ? bottom.point : top.point;
    result.feed_point = *feed;
    result.tangent = std::fabs(result.pinch.x - feed->x) > 1e-9 ||
                     std::fabs(result.pinch.y - feed->y) > 1e-9;
    return result;
}

}  // namespace kolvar::engine
