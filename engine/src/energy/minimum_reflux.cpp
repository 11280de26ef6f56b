// The minimum reflux of the enthalpy-composition design.
#include "minimum_reflux.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>

namespace kolvar::engine::detail {

using format::text;

Result<TopMinimum> minimum_top_height(const TieLines& lines, const BinaryColumn& column, double feed_enthalpy)
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
    // The bottom difference point lies on the line from the top one through
    // the feed point, so a ceiling on it at x_B is a floor on the top one.
    const double carried =
        feed_enthalpy + (feed_enthalpy - stripping->height) * ((x_d - z_f) / (z_f - x_b));
    const bool rectifying_sets = !(carried > rectifying->height);
    const TieLine pinch = lines.at(rectifying_sets ? rectifying->u : stripping->u);
    return TopMinimum{rectifying_sets ? rectifying->height : carried, {pinch.x, pinch.y}};
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
