// Checked rebuilding of design values: each check states one invariant that
// the constructions guarantee for every value they return.
#include "engine/binary/restore.hpp"

#include "engine/binary/limits.hpp"

#include "kolvar/format.hpp"

#include <cmath>
#include <span>
#include <string_view>

namespace kolvar::engine {
namespace {

bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool in_unit_square(Point p) { return p.x >= 0.0 && p.x <= 1.0 && p.y >= 0.0 && p.y <= 1.0; }

bool same(Line a, Line b) { return a.slope == b.slope && a.intercept == b.intercept; }

// A point of the construction: finite, and a pair of mole fractions.
Result<void> check_point(std::string_view what, Point p)
{
    if (!finite(p)) return invalid_input(format::text(what, " must be finite, got (", p.x, ", ", p.y, ")"));
    if (in_unit_square(p)) return {};
    return invalid_input(format::text(what, " must lie in the unit square, got (", p.x, ", ", p.y, ")"));
}

// The fractional count of a staircase of n corners: n - 1 <= count <= n.
Result<void> check_count(std::string_view what, double count, std::size_t n)
{
    const auto corners = static_cast<double>(n);
    if (count >= corners - 1.0 && count <= corners) return {};
    return invalid_input(format::text(what, " must lie in [N - 1, N] for N = ", static_cast<std::uint64_t>(n),
                                      " stages, got ", count));
}

// The corners numbered 1..N, each restorable, and the staircase they make.
Result<void> check_staircase(std::span<const StagePoint> stages, std::span<const Point> staircase)
{
    const std::size_t n = stages.size();
    if (n == 0 || n > binary_limits::max_stages) {
        return invalid_input(format::text("a staircase must have 1 to ", binary_limits::max_stages,
                                          " stages, got ", static_cast<std::uint64_t>(n)));
    }
    for (std::size_t k = 0; k < n; ++k) {
        const StagePoint& stage = stages[k];
        if (auto ok = restore_stage(stage.index, stage.x, stage.y); !ok) return std::unexpected(ok.error());
        if (stage.index != k + 1) {
            return invalid_input(format::text("stage ", static_cast<std::uint64_t>(k + 1), " is numbered ",
                                              stage.index));
        }
    }
    if (staircase.size() != 2 * n) {
        return invalid_input(format::text("staircase must have 2 points per stage, got ",
                                          static_cast<std::uint64_t>(staircase.size()), " for ",
                                          static_cast<std::uint64_t>(n), " stages"));
    }
    for (std::size_t i = 0; i < staircase.size(); ++i) {
        // Point 2k - 1 is corner k; point 2k leaves it for the vapour of corner k + 1.
        const std::size_t corner = i == 0 ? 0 : (i - 1) / 2;
        const double x = i == 0 ? stages[0].y : stages[corner].x;
        const double y = i == 0 || i % 2 == 1 ? stages[corner].y : stages[corner + 1].y;
        if (!(staircase[i] == Point{x, y})) {
            return invalid_input(format::text("staircase point ", static_cast<std::uint64_t>(i),
                                              " is not where the stages put it"));
        }
    }
    return {};
}

}  // namespace

Result<CondenserKind> restore_condenser(std::uint64_t value)
{
    if (value == static_cast<unsigned>(CondenserKind::Total)) return CondenserKind::Total;
    if (value == static_cast<unsigned>(CondenserKind::Partial)) return CondenserKind::Partial;
    return invalid_input(format::text("condenser kind must be 0 or 1, got ", value));
}

Result<Line> restore_line(double slope, double intercept)
{
    if (std::isfinite(slope) && std::isfinite(intercept)) return Line{slope, intercept};
    return invalid_input(
        format::text("line must have a finite slope and intercept, got ", slope, " and ", intercept));
}

Result<StagePoint> restore_stage(std::uint64_t index, double x, double y)
{
    if (index < 1 || index > binary_limits::max_stages) {
        return invalid_input(format::text("stage index must lie in [1, ", binary_limits::max_stages, "], got ", index));
    }
    if (!finite({x, y})) {
        return invalid_input(format::text("stage ", index, " must have a finite corner, got (", x, ", ", y, ")"));
    }
    if (!in_unit_square({x, y})) {
        return invalid_input(
            format::text("stage ", index, " must have its corner in the unit square, got (", x, ", ", y, ")"));
    }
    return StagePoint{index, x, y};
}

Result<RminResult> restore_rmin(double r_min, Point pinch, bool tangent, Point feed_point)
{
    if (!(std::isfinite(r_min) && r_min >= 0.0)) {
        return invalid_input(format::text("minimum reflux must be finite and not negative, got ", r_min));
    }
    if (auto ok = check_point("pinch", pinch); !ok) return std::unexpected(ok.error());
    if (auto ok = check_point("feed point", feed_point); !ok) return std::unexpected(ok.error());
    return RminResult{r_min, pinch, tangent, feed_point};
}

Result<McCabeThieleSpec> restore_spec(const McCabeThieleSpec& spec)
{
    if (auto ok = check_spec(spec); !ok) return std::unexpected(ok.error());
    return spec;
}

Result<McCabeThieleResult> restore_design(McCabeThieleResult parts)
{
    const McCabeThieleSpec& spec = parts.spec;
    if (auto ok = check_spec(spec); !ok) return std::unexpected(ok.error());
    const RminResult& minimum = parts.rmin;
    if (auto ok = restore_rmin(minimum.r_min, minimum.pinch, minimum.tangent, minimum.feed_point); !ok) {
        return std::unexpected(ok.error());
    }
    if (!(minimum.r_min < spec.reflux)) {
        return invalid_input(format::text("minimum reflux ", minimum.r_min, " must lie below the reflux ratio ",
                                          spec.reflux));
    }
    // The lines and their intersection follow from the spec alone.
    const auto intersection = operating_intersection(spec);
    if (!intersection) {
        return invalid_input(format::text("the spec of a construction must give operating lines that meet: ",
                                          intersection.error().message));
    }
    const auto [x_int, y_int] = *intersection;
    if (!(x_int > spec.x_bottoms && x_int <= 1.0 && y_int >= 0.0 && y_int <= 1.0)) {
        return invalid_input(format::text("the operating lines must meet right of x_B = ", spec.x_bottoms,
                                          " within the unit square, got (", x_int, ", ", y_int, ")"));
    }
    if (!(same(parts.rectifying, rectifying_line(spec)) &&
          same(parts.stripping, stripping_line(spec, *intersection)) && parts.intersection == *intersection)) {
        return invalid_input("the operating lines and their intersection must be those of the spec");
    }
    if (auto ok = check_staircase(parts.stages, parts.staircase); !ok) return std::unexpected(ok.error());
    if (parts.stages.front().y != spec.x_distillate) {
        return invalid_input(format::text("the staircase must start at x_D = ", spec.x_distillate, ", got ",
                                          parts.stages.front().y));
    }
    const std::size_t n = parts.stages.size();
    if (auto ok = check_count("n_stages", parts.n_stages, n); !ok) return std::unexpected(ok.error());
    if (parts.feed_stage < 1 || parts.feed_stage > n) {
        return invalid_input(format::text("feed stage must lie in [1, ", static_cast<std::uint64_t>(n), "], got ",
                                          parts.feed_stage));
    }
    return parts;
}

Result<TotalRefluxResult> restore_total_reflux(TotalRefluxResult parts)
{
    if (auto ok = check_staircase(parts.stages, parts.staircase); !ok) return std::unexpected(ok.error());
    for (std::size_t k = 1; k < parts.stages.size(); ++k) {
        if (parts.stages[k].y != parts.stages[k - 1].x) {
            return invalid_input(format::text("at total reflux stage ", static_cast<std::uint64_t>(k + 1),
                                              " must have the vapour of the liquid above, got ",
                                              parts.stages[k].y, " below ", parts.stages[k - 1].x));
        }
    }
    if (auto ok = check_count("n_min", parts.n_min, parts.stages.size()); !ok) return std::unexpected(ok.error());
    return parts;
}

}  // namespace kolvar::engine
