// Tie lines of a sampled enthalpy-composition diagram, and where lines meet them.
#include "tie_lines.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolvar::engine::detail {
namespace {

// a + s (b - a), exactly b at s = 1.
double lerp(double a, double b, double s) { return s == 1.0 ? b : a + s * (b - a); }

// The roots of c2 s^2 + c1 s + c0 (none, one or two), written to out.
int quadratic_roots(double c2, double c1, double c0, double out[2])
{
    if (c2 == 0.0) {
        if (c1 == 0.0) return 0;
        out[0] = -c0 / c1;
        return 1;
    }
    const double discriminant = c1 * c1 - 4.0 * c2 * c0;
    if (!(discriminant >= 0.0)) return 0;
    const double q = -0.5 * (c1 + std::copysign(std::sqrt(discriminant), c1));
    out[0] = q / c2;
    if (q == 0.0) return 1;
    out[1] = c0 / q;
    return 2;
}

}  // namespace

TieLines::TieLines(const EnthalpyCurve& curve) noexcept
    : x_(curve.curve.x()), y_(curve.curve.y()), h_(curve.liquid), H_(curve.vapour), y_sorted_(curve.curve.y_sorted())
{
}

TieLine TieLines::at(double u) const
{
    const std::size_t last = x_.size() - 2;
    const double floor = std::floor(u);
    const std::size_t k = floor <= 0.0 ? 0 : std::min(static_cast<std::size_t>(floor), last);
    const double s = std::clamp(u - static_cast<double>(k), 0.0, 1.0);
    return {lerp(x_[k], x_[k + 1], s), lerp(h_[k], h_[k + 1], s), lerp(y_[k], y_[k + 1], s),
            lerp(H_[k], H_[k + 1], s)};
}

double TieLines::at_liquid(double x) const
{
    const std::size_t last = x_.size() - 2;
    const auto above = std::upper_bound(x_.begin(), x_.end(), x) - x_.begin();
    const std::size_t k = above <= 1 ? 0 : std::min(static_cast<std::size_t>(above - 1), last);
    const double s = std::clamp((x - x_[k]) / (x_[k + 1] - x_[k]), 0.0, 1.0);
    return static_cast<double>(k) + s;
}

double TieLines::liquid_enthalpy(double x) const { return at(at_liquid(x)).h; }

std::optional<double> tie_line_through(const TieLines& lines, Spot point)
{
    const std::size_t n = lines.x().size();
    if (side(lines.at(0.0), point) >= 0.0) return std::nullopt;
    for (std::size_t k = 1; k < n; ++k) {
        if (side(lines.at(static_cast<double>(k)), point) < 0.0) continue;
        // The side changes sign on segment k - 1: bisect it.
        double lo = static_cast<double>(k - 1);
        double hi = static_cast<double>(k);
        for (int halving = 0; halving < 60; ++halving) {
            const double mid = 0.5 * (lo + hi);
            (side(lines.at(mid), point) < 0.0 ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }
    return std::nullopt;
}

std::optional<Extension> extreme_extension(const TieLines& lines, double from, double to, double X, bool highest)
{
    constexpr double infinity = std::numeric_limits<double>::infinity();
    Extension best{highest ? -infinity : infinity, from};
    bool leaning = true;
    const auto consider = [&](double u) {
        const TieLine t = lines.at(u);
        if (!(t.y > t.x)) {
            leaning = false;
            return;
        }
        const double height = extension(t, X);
        if (highest ? height > best.height : height < best.height) best = {height, u};
    };
    consider(from);
    const std::size_t n = lines.x().size();
    const auto first = static_cast<std::size_t>(std::max(0.0, std::floor(from)));
    for (std::size_t k = first; k + 1 < n && static_cast<double>(k) < to; ++k) {
        const double s_lo = std::max(0.0, from - static_cast<double>(k));
        const double s_hi = std::min(1.0, to - static_cast<double>(k));
        if (!(s_lo < s_hi)) continue;
        // Along the segment E(s) = h + a w / g with h, a = H - h, w = X - x and
        // g = y - x linear in s; dE/ds = 0 where dh g^2 + (da w - a dx) g - a w dg = 0.
        const TieLine t0 = lines.at(static_cast<double>(k));
        const TieLine t1 = lines.at(static_cast<double>(k + 1));
        const double dx = t1.x - t0.x;
        const double dh = t1.h - t0.h;
        const double g0 = t0.y - t0.x;
        const double dg = (t1.y - t1.x) - g0;
        const double a0 = t0.H - t0.h;
        const double da = (t1.H - t1.h) - a0;
        const double w0 = X - t0.x;
        const double p0 = da * w0 - a0 * dx;
        double roots[2];
        const int count = quadratic_roots(dh * dg * dg - da * dx * dg, 2.0 * g0 * (dh * dg - da * dx),
                                          dh * g0 * g0 + p0 * g0 - dg * a0 * w0, roots);
        for (int i = 0; i < count; ++i)
            if (roots[i] > s_lo && roots[i] < s_hi) consider(static_cast<double>(k) + roots[i]);
        if (s_hi < 1.0) break;
        consider(static_cast<double>(k + 1));
    }
    consider(to);
    if (!leaning) return std::nullopt;
    return best;
}

std::optional<Crossing> vapour_crossing(const TieLines& lines, Spot pole, Spot liquid)
{
    const double x = liquid.x;
    const auto ys = lines.y();
    const auto Hs = lines.H();
    const std::size_t n = ys.size();
    // The first vapour sample right of x; the one before it lies at or left of x.
    std::size_t j = 0;
    if (lines.y_sorted()) {
        j = static_cast<std::size_t>(std::upper_bound(ys.begin(), ys.end(), x) - ys.begin());
    } else {
        while (j < n && !(ys[j] > x)) ++j;
    }
    if (j == 0 || j == n) return std::nullopt;

    const double slope = (pole.h - liquid.h) / (pole.x - liquid.x);
    // Height of the vapour line above the line through the pole and the liquid point.
    const auto above = [&](double y, double H) { return H - (liquid.h + slope * (y - liquid.x)); };

    double y_prev = x;
    double H_prev = Hs[j - 1] + (Hs[j] - Hs[j - 1]) * (x - ys[j - 1]) / (ys[j] - ys[j - 1]);
    double prev = above(y_prev, H_prev);
    if (!(prev > 0.0)) return std::nullopt;
    for (; j < n; ++j) {
        const double here = above(ys[j], Hs[j]);
        if (here <= 0.0) {
            const double y = y_prev + (ys[j] - y_prev) * (prev / (prev - here));
            const double u = static_cast<double>(j - 1) + (y - ys[j - 1]) / (ys[j] - ys[j - 1]);
            const auto xs = lines.x();
            return Crossing{y, lines.at(u).x, xs[j < 2 ? 0 : j - 2], xs[std::min(j + 1, n - 1)]};
        }
        y_prev = ys[j];
        prev = here;
    }
    return std::nullopt;
}

std::optional<double> liquid_crossing(const TieLines& lines, Spot a, Spot b, double x_low, double x_high)
{
    const double slope = (b.h - a.h) / (b.x - a.x);
    // Height of the liquid line above the line through a and b.
    const auto above = [&](double x, double h) { return h - (a.h + slope * (x - a.x)); };
    double x_prev = x_high;
    double prev = above(x_high, lines.liquid_enthalpy(x_high));
    if (!(prev < 0.0)) return std::nullopt;
    const auto xs = lines.x();
    const auto hs = lines.h();
    // Samples strictly between x_low and x_high, downward, then x_low itself.
    auto i = static_cast<std::ptrdiff_t>(std::lower_bound(xs.begin(), xs.end(), x_high) - xs.begin()) - 1;
    for (;; --i) {
        const bool at_end = i < 0 || !(xs[static_cast<std::size_t>(i)] > x_low);
        const double x = at_end ? x_low : xs[static_cast<std::size_t>(i)];
        const double h = at_end ? lines.liquid_enthalpy(x_low) : hs[static_cast<std::size_t>(i)];
        const double here = above(x, h);
        if (here >= 0.0) return x + (x_prev - x) * (here / (here - prev));
        if (at_end) return std::nullopt;
        x_prev = x;
        prev = here;
    }
}

}  // namespace kolvar::engine::detail
