// The minimum reflux of the enthalpy-composition design.
#include "minimum_reflux.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>

namespace kolvar::engine::detail {

using format::text;

namespace {

// A bound on a difference point: the height at which a tie line, extended,
// meets the difference point's vertical, and that tie line.
struct Bound {
    double height = 0.0;
    TieLine line;
};

// The bounds compared in one direction: the higher one when `highest`.
bool beats(double a, double b, bool highest) { return highest ? a > b : a < b; }

// The system's tie line through the feed point, started from the sampled
// one's liquid end and kept between x_B and x_D (and the samples around it).
Result<TieLine> feed_tie_line(const TieLines& lines, const SystemTieLines& system, double u, Spot feed, double x_b,
                              double x_d)
{
    const double start = lines.at(u).x;
    const double end = start <= x_b ? x_b : start >= x_d ? x_d : -1.0;
    if (end >= 0.0) {
        const auto tie = system.of_liquid(end);
        if (!tie) return std::unexpected(tie.error());
        return tie->line;
    }
    const auto k = static_cast<std::size_t>(std::min(std::floor(u), static_cast<double>(lines.x().size() - 2)));
    TieLine last;
    const auto residual = [&](double x) -> Result<double> {
        const auto tie = system.of_liquid(x);
        if (!tie) return std::unexpected(tie.error());
        last = tie->line;
        return side(last, feed);
    };
    const auto root = secant_root(residual, start, std::max(lines.x()[k], x_b), std::min(lines.x()[k + 1], x_d),
                                  1e-13);
    if (!root) return std::unexpected(root.error());
    if (!*root) return not_converged(text("the tie line through the feed point did not settle"));
    return last;
}

// The extreme extension to x = X of the system's tie lines with liquid ends
// in [lo, hi], near the liquid end `center`: successive parabolas through
// three tie lines, each narrower than the one before.
Result<Bound> interior_extreme(const SystemTieLines& system, double lo, double hi, double center, double X,
                               bool highest)
{
    const auto at = [&](double x) -> Result<Bound> {
        const auto tie = system.of_liquid(x);
        if (!tie) return std::unexpected(tie.error());
        return Bound{extension(tie->line, X), tie->line};
    };
    auto best = at(center);
    if (!best) return best;
    double width = 0.005;
    for (int i = 0; i < 12 && width > 1e-9; ++i) {
        const double c = best->line.x;
        const double a = std::max(lo, c - width);
        const double b = std::min(hi, c + width);
        const auto ea = at(a);
        if (!ea) return ea;
        const auto eb = at(b);
        if (!eb) return eb;
        const double sign = highest ? 1.0 : -1.0;
        const double ga = sign * ea->height, gc = sign * best->height, gb = sign * eb->height;
        // The vertex of the parabola through the three, when it is a maximum of sign * E.
        const double num = (c - a) * (c - a) * (gc - gb) - (c - b) * (c - b) * (gc - ga);
        const double den = (c - a) * (gc - gb) - (c - b) * (gc - ga);
        const double v = c - 0.5 * num / den;
        for (const auto& side_bound : {*ea, *eb})
            if (beats(side_bound.height, best->height, highest)) best = side_bound;
        if (!(den < 0.0 || den > 0.0) || !(v > a && v < b)) {
            width *= 0.25;
            continue;
        }
        const auto ev = at(v);
        if (!ev) return ev;
        if (beats(ev->height, best->height, highest)) best = *ev;
        width = std::min(width * 0.25, std::max(2.0 * std::fabs(v - c), 1e-9));
    }
    return best;
}

// The extreme bound of one side, the tie lines with liquid ends from the
// feed's to `far`: the feed's own, the one at `far`, and, when the sampled
// extreme lies between them, the interior extreme near it.
Result<Bound> side_extreme(const TieLines& lines, const SystemTieLines& system, const TieLine& feed, double far,
                           const Extension& sampled, double X, bool highest)
{
    Bound best{extension(feed, X), feed};
    const auto end = system.of_liquid(far);
    if (!end) return std::unexpected(end.error());
    if (beats(extension(end->line, X), best.height, highest)) best = {extension(end->line, X), end->line};
    const double at = lines.at(sampled.u).x;
    const double lo = std::min(feed.x, far);
    const double hi = std::max(feed.x, far);
    if (at > lo && at < hi) {
        const auto inner = interior_extreme(system, lo, hi, at, X, highest);
        if (!inner) return inner;
        if (beats(inner->height, best.height, highest)) best = *inner;
    }
    return best;
}

}  // namespace

Result<TopMinimum> minimum_top_height(const TieLines& lines, const SystemTieLines& system,
                                      const BinaryColumn& column, double feed_enthalpy)
{
    const double x_d = column.x_distillate;
    const double x_b = column.x_bottoms;
    const double z_f = column.feed.z;
    const auto through_feed = tie_line_through(lines, {z_f, feed_enthalpy});
    if (!through_feed)
        return infeasible(text("no tie line passes through the feed point (z_F = ", z_f, ", h_F = ", feed_enthalpy,
                               " J/mol)"));
    const double top = lines.at_liquid(x_d);
    const double bottom = lines.at_liquid(x_b);
    const double feed = std::clamp(*through_feed, bottom, top);

    const auto rectifying = extreme_extension(lines, feed, top, x_d, true);
    if (!rectifying)
        return infeasible(text("x_D = ", x_d,
                               " is unreachable at any reflux (a tie line at or below the diagonal above the feed — "
                               "azeotrope?)"));
    const auto stripping = extreme_extension(lines, bottom, feed, x_b, false);
    if (!stripping)
        return infeasible(text("x_B = ", x_b,
                               " is unreachable at any boilup (a tie line at or below the diagonal below the feed — "
                               "azeotrope?)"));

    const auto feed_line = feed_tie_line(lines, system, *through_feed, {z_f, feed_enthalpy}, x_b, x_d);
    if (!feed_line) return std::unexpected(feed_line.error());
    const auto upper = side_extreme(lines, system, *feed_line, x_d, *rectifying, x_d, true);
    if (!upper) return std::unexpected(upper.error());
    const auto lower = side_extreme(lines, system, *feed_line, x_b, *stripping, x_b, false);
    if (!lower) return std::unexpected(lower.error());
    // The bottom difference point lies on the line from the top one through
    // the feed point, so a ceiling on it at x_B is a floor on the top one.
    const double carried = feed_enthalpy + (feed_enthalpy - lower->height) * ((x_d - z_f) / (z_f - x_b));
    const bool rectifying_sets = !(carried > upper->height);
    const TieLine& pinch = rectifying_sets ? upper->line : lower->line;
    return TopMinimum{rectifying_sets ? upper->height : carried, {pinch.x, pinch.y}};
}

Result<double> reflux_for_height(const ThermoSystem& system, double p, const ColumnTop& top, double height)
{
    // With no reflux the top difference point is the distillate's own state.
    const double none = top.condenser == CondenserKind::Total ? top.overhead_enthalpy : top.distillate_enthalpy;
    if (!(height > none)) return 0.0;
    if (top.condenser == CondenserKind::Total)
        return (height - top.overhead_enthalpy) / (top.overhead_enthalpy - top.distillate_enthalpy);

    // The height grows with R, nearly in proportion: start from the line
    // through R = 0 with the slope H_V(x_D) - h_L(x_0).
    double r0 = 0.0;
    double g0 = none - height;
    double r1 = (height - none) / (top.distillate_enthalpy - top.reflux_enthalpy);
    constexpr int limit = 50;
    for (int i = 0; i < limit; ++i) {
        const auto h1 = top_difference_height(system, p, top, r1);
        if (!h1) return std::unexpected(h1.error());
        const double g1 = *h1 - height;
        if (g1 == 0.0 || g1 == g0) return r1;
        const double r2 = r1 - g1 * (r1 - r0) / (g1 - g0);
        if (std::abs(r2 - r1) <= 1e-12 * std::abs(r2)) return r2;
        r0 = r1;
        g0 = g1;
        r1 = r2;
    }
    return not_converged(text("the minimum reflux did not settle in ", static_cast<std::uint64_t>(limit),
                              " iterations"));
}

}  // namespace kolvar::engine::detail
