// Minimum reflux: the feed point on the q-line, then the controlling pinch on
// each side of it. Along one linear piece of the sampled curve the slope of a
// line from a fixed point changes monotonically, so the extreme slopes are
// reached at samples or at the feed point and a scan over them is exact.
//
// As the reflux falls, the intersection of the operating lines travels along
// the q-line from (z_F, z_F) toward the curve. Two limits can stop it first:
// x = x_B, where the boil-up vanishes and the stripping line stands vertical,
// and y = x_D, where the reflux vanishes and the rectifying line lies flat.
// When the feed point lies beyond either limit, that limit bounds the reflux.
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

// The height of the q-line y = m (x - z_F) + z_F at x; horizontal for q = 0.
double q_line_at(double z_feed, double q, double x)
{
    if (std::fabs(q) < tol) return z_feed;
    return q / (q - 1.0) * (x - z_feed) + z_feed;
}

// Where the q-line reaches y = x_D: the operating-line intersection at zero
// reflux, with the rectifying line horizontal. Only asked for when the q-line
// does reach it between x_B and x_D; the clamp keeps a horizontal q-line
// (q = 0) from sending it to infinity.
Point zero_reflux_point(double x_distillate, double x_bottoms, double z_feed, double q)
{
    if (std::fabs(q - 1.0) < tol) return {z_feed, x_distillate};
    const double x = z_feed + (x_distillate - z_feed) * (q - 1.0) / q;
    return {std::clamp(x, x_bottoms, x_distillate), x_distillate};
}

// The distillate fraction D/F from the material balance.
double distillate_fraction(double x_distillate, double x_bottoms, double z_feed)
{
    return (z_feed - x_bottoms) / (x_distillate - x_bottoms);
}

struct Pinch {
    double slope;
    Point point;
};

// The steepest line from (x_D, x_D) to a sample with from.x <= x < x_D or to
// `from` itself, the point where the rectifying line ends at the limit (the
// feed point, or the zero-boil-up point); the first of equal slopes is kept.
Pinch rectifying_pinch(const EquilibriumCurve& curve, double x_distillate, Point from)
{
    Pinch best{-infinity, from};
    const auto consider = [&](Point p) {
        if (x_distillate - p.x < tol) return;
        const double s = (x_distillate - p.y) / (x_distillate - p.x);
        if (s > best.slope) best = {s, p};
    };
    const std::span<const double> xs = curve.x();
    const std::span<const double> ys = curve.y();
    auto i = static_cast<std::size_t>(std::lower_bound(xs.begin(), xs.end(), from.x) - xs.begin());
    for (; i < xs.size() && xs[i] < x_distillate; ++i) {
        if (from.x <= xs[i]) consider({xs[i], ys[i]});
    }
    consider(from);
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

// Whether the curve lies below the diagonal at x. The scans above see the
// samples only; on the piece that ends at x_D (or starts at x_B) the slope
// from the product point runs off to infinity when the curve is below the
// diagonal there, with no sample to show it. x lies in (0, 1), inside the
// curve's range, so the query cannot fail.
bool below_diagonal(const EquilibriumCurve& curve, double x)
{
    const auto y = curve.y_of_x(x);
    return y && *y < x;
}

[[gnu::cold]] std::unexpected<EngineError> distillate_unreachable(double x_distillate)
{
    return infeasible(format::text(
        "x_D = ", x_distillate,
        " is unreachable at any reflux (equilibrium curve at or below the diagonal — azeotrope?)"));
}

// Rectifying slope s = R/(R+1), at least 0, turned into the reflux ratio.
double rectifying_reflux(double slope)
{
    const double s = std::max(slope, 0.0);
    return s / (1.0 - s);
}

// The feed point lies at or left of x_B: the intersection reaches x = x_B,
// zero boil-up, before the curve. There V' = (R + 1) D - (1 - q) F = 0, so
// R = (1 - q)/phi - 1, and the stripping line is the vertical from (x_B, x_B)
// to the q-line, which must end on or below the curve. The rectifying line
// must still clear the curve over [x_B, x_D]. Above this reflux every
// intersection lies between x_B and z_F on the part of the q-line under the
// curve, so the stripping line clears it too.
Result<RminResult> zero_boilup_limit(const EquilibriumCurve& curve, double x_distillate, double x_bottoms,
                                     double z_feed, double q, Point feed)
{
    const Point limit{x_bottoms, q_line_at(z_feed, q, x_bottoms)};
    const auto y_bottoms = curve.y_of_x(x_bottoms);
    if (!y_bottoms) return std::unexpected(y_bottoms.error());
    if (*y_bottoms < limit.y) {
        return infeasible(format::text("x_B = ", x_bottoms, " is unreachable: the q-line (q = ", q,
                                       ") lies above the equilibrium curve there — check z_F = ", z_feed,
                                       " and q"));
    }
    const Pinch top = rectifying_pinch(curve, x_distillate, limit);
    if (top.slope >= 1.0 || below_diagonal(curve, x_distillate)) return distillate_unreachable(x_distillate);

    const double r_top = rectifying_reflux(top.slope);
    const double r_zero_boilup = (1.0 - q) / distillate_fraction(x_distillate, x_bottoms, z_feed) - 1.0;
    RminResult result;
    result.r_min = std::max(r_top, r_zero_boilup);
    result.feed_point = feed;
    if (!(result.r_min > 0.0)) {
        // Zero reflux comes first on the q-line.
        result.pinch = zero_reflux_point(x_distillate, x_bottoms, z_feed, q);
    } else if (!(top.point == limit) && r_top > r_zero_boilup) {
        result.pinch = top.point;  // a sample above x_B touches the rectifying line
        result.tangent = std::fabs(top.point.x - feed.x) > 1e-9 || std::fabs(top.point.y - feed.y) > 1e-9;
    } else {
        result.pinch = limit;
    }
    return result;
}

}  // namespace

Result<RminResult> rmin(const EquilibriumCurve& curve, double x_distillate, double x_bottoms,
                        double z_feed, double q)
{
    if (auto ok = detail::check_compositions(x_distillate, x_bottoms, z_feed); !ok) {
        return std::unexpected(std::move(ok.error()));
    }
    auto feed = feed_point(curve, z_feed, q);
    if (!feed) return std::unexpected(feed.error());
    if (feed->x - x_bottoms < tol && std::fabs(q) < tol && !curve.y_sorted()) {
        // The inverse finds the leftmost crossing of y = z_F. On a curve that
        // dips below z_F again, the intersection moving left from (z_F, z_F)
        // meets a crossing further right first: walk to it.
        feed = q_line_crossing(curve, z_feed, q);
        if (!feed) return std::unexpected(feed.error());
    }
    // The feed point would be skipped as a stripping candidate, leaving none.
    if (feed->x - x_bottoms < tol) {
        return zero_boilup_limit(curve, x_distillate, x_bottoms, z_feed, q, *feed);
    }

    const Pinch top = rectifying_pinch(curve, x_distillate, *feed);
    if (top.slope >= 1.0 || below_diagonal(curve, x_distillate)) return distillate_unreachable(x_distillate);
    const Pinch bottom = stripping_pinch(curve, x_bottoms, *feed);
    if (bottom.slope <= pinned_slope || below_diagonal(curve, x_bottoms)) {
        return infeasible(format::text(
            "x_B = ", x_bottoms,
            " is unreachable at any boilup (stripping line pinned to the diagonal)"));
    }

    // Rectifying slope s = R/(R+1). The stripping slope L'/V' equals
    // (R phi + q)/((R + 1) phi - (1 - q)) with phi = D/F, solved here for R.
    const double r_rect = rectifying_reflux(top.slope);
    const double s_s = bottom.slope;
    const double phi = distillate_fraction(x_distillate, x_bottoms, z_feed);
    const double r_strip = ((1.0 - q) * s_s + q - s_s * phi) / ((s_s - 1.0) * phi);

    // Both are finite: the feed point is a candidate on the stripping side.
    const bool stripping_controls = r_rect < r_strip;
    RminResult result;
    result.r_min = stripping_controls ? r_strip : r_rect;
    result.feed_point = *feed;
    if (!stripping_controls && top.slope <= 0.0) {
        // The rectifying line clears the curve even lying flat: the feed point
        // lies at or above y = x_D (a strongly subcooled feed, or a curve
        // above x_D at z_F), and the limit is zero reflux.
        result.pinch = zero_reflux_point(x_distillate, x_bottoms, z_feed, q);
        return result;
    }
    result.pinch = stripping_controls ? bottom.point : top.point;
    result.tangent = std::fabs(result.pinch.x - feed->x) > 1e-9 ||
                     std::fabs(result.pinch.y - feed->y) > 1e-9;
    return result;
}

}  // namespace kolvar::engine
