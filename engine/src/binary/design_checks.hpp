// Checks and messages shared by the binary design constructions.
#pragma once

#include "engine/error.hpp"
#include "kolvar/format.hpp"

#include <string_view>

namespace kolvar::engine::detail {

// 0 < v < 1; false for NaN.
inline bool strictly_inside_unit(double v) { return v > 0.0 && v < 1.0; }

[[gnu::cold]] inline std::unexpected<EngineError> outside_unit(std::string_view quantity, double value)
{
    return invalid_input(format::text(quantity, " must be strictly inside (0, 1), got ", value));
}

// x_B < z_F < x_D; false for any NaN.
inline bool ordered(double x_bottoms, double z_feed, double x_distillate)
{
    return x_bottoms < z_feed && z_feed < x_distillate;
}

[[gnu::cold]] inline std::unexpected<EngineError> unordered(double x_bottoms, double z_feed,
                                                            double x_distillate)
{
    return invalid_input(format::text("specs must satisfy x_B < z_F < x_D, got x_B = ", x_bottoms,
                                      ", z_F = ", z_feed, ", x_D = ", x_distillate));
}

// x_D, x_B and z_F each strictly inside (0, 1), in that order, then
// x_B < z_F < x_D: the compositions of a design, checked before any curve
// query so that no out-of-range or non-finite value reaches the geometry.
inline Result<void> check_compositions(double x_distillate, double x_bottoms, double z_feed)
{
    if (!strictly_inside_unit(x_distillate)) return outside_unit("x_D", x_distillate);
    if (!strictly_inside_unit(x_bottoms)) return outside_unit("x_B", x_bottoms);
    if (!strictly_inside_unit(z_feed)) return outside_unit("z_F", z_feed);
    if (!ordered(x_bottoms, z_feed, x_distillate)) return unordered(x_bottoms, z_feed, x_distillate);
    return {};
}

// 0 < E_MV <= 1; false for NaN.
inline bool valid_murphree(double murphree) { return murphree > 0.0 && murphree <= 1.0; }

[[gnu::cold]] inline std::unexpected<EngineError> bad_murphree(double murphree)
{
    return invalid_input(format::text("Murphree efficiency must be in (0, 1], got ", murphree));
}

// The fraction of the last step, from x_prev down to x_n, needed to reach x_B.
inline double last_stage_fraction(double x_prev, double x_n, double x_bottoms)
{
    const double drop = x_prev - x_n;
    if (!(drop > 0.0)) return 1.0;
    const double f = (x_prev - x_bottoms) / drop;
    return f < 0.0 ? 0.0 : (f > 1.0 ? 1.0 : f);
}

}  // namespace kolvar::engine::detail
