// The geometry of an enthalpy-composition diagram sampled as tie lines: the
// saturated liquid (x, h) and the vapour (y, H) in equilibrium with it.
// Tie lines are numbered by a real u in [0, n - 1]: u = k is sample k, and
// between samples both ends move linearly, which is how the curve's queries
// interpolate x*(y), h_L(x) and H_V(y). Everything here is exact on these
// piecewise-linear lines, up to rounding.
#pragma once

#include "engine/energy/enthalpy_curve.hpp"

#include <optional>
#include <span>

namespace kolvar::engine::detail {

// A point of the enthalpy-composition plane: composition, enthalpy [J/mol].
struct Spot {
    double x = 0.0;
    double h = 0.0;
};

struct TieLine {
    double x = 0.0;  // liquid
    double h = 0.0;  // h_L(x)
    double y = 0.0;  // vapour in equilibrium with it
    double H = 0.0;  // H_V(y)
};

// Where the tie line, extended, meets x = X; its vapour must lie right of its liquid.
inline double extension(const TieLine& t, double X) { return t.h + (t.H - t.h) * (X - t.x) / (t.y - t.x); }

// Which side of the tie line `point` lies on: positive above-left of it.
inline double side(const TieLine& t, Spot point)
{
    return (t.y - t.x) * (point.h - t.h) - (t.H - t.h) * (point.x - t.x);
}

class TieLines {
public:
    explicit TieLines(const EnthalpyCurve& curve) noexcept;

    TieLine at(double u) const;
    // The u whose liquid end is x, for x in [0, 1].
    double at_liquid(double x) const;
    // h_L(x) interpolated over the liquid samples.
    double liquid_enthalpy(double x) const;

    std::span<const double> x() const noexcept { return x_; }
    std::span<const double> y() const noexcept { return y_; }
    std::span<const double> h() const noexcept { return h_; }
    std::span<const double> H() const noexcept { return H_; }
    bool y_sorted() const noexcept { return y_sorted_; }

private:
    std::span<const double> x_, y_, h_, H_;
    bool y_sorted_;
};

// The u of the first tie line, walking up from x = 0, that passes through
// `point`; empty when none does.
std::optional<double> tie_line_through(const TieLines& lines, Spot point);

// Where the tie lines u in [from, to], extended, meet the vertical x = X:
// the highest (or lowest) height and the u that reaches it. Empty when a tie
// line of the range does not lean toward the vapour (y <= x), which no
// extension can pass.
struct Extension {
    double height = 0.0;
    double u = 0.0;
};
std::optional<Extension> extreme_extension(const TieLines& lines, double from, double to, double X, bool highest);

// Where the line from `pole` through the liquid point `liquid` meets the
// vapour line, the first crossing above y = liquid.x along the vapour
// samples: the vapour y there, the liquid end x of the tie line that reaches
// it, and the liquid ends of the samples a step beyond either side of that
// tie line; empty when there is none.
struct Crossing {
    double y = 0.0;
    double x = 0.0;
    double x_low = 0.0;
    double x_high = 0.0;
};
std::optional<Crossing> vapour_crossing(const TieLines& lines, Spot pole, Spot liquid);

// The largest x in [x_low, x_high] where the line through a and b crosses
// the liquid line, searched from x_high down (where the liquid lies below the
// line); empty when it does not cross there.
std::optional<double> liquid_crossing(const TieLines& lines, Spot a, Spot b, double x_low, double x_high);

}  // namespace kolvar::engine::detail
