// The design functions: rmin, mccabe_thiele, total_reflux, n_vs_r.
#include "module/design.hpp"

#include "module/classes.hpp"
#include "module/conversions.hpp"

#include "toolkit/callable.hpp"

#include <vector>

namespace kolvar::bind {
namespace {

using engine::CondenserKind;
using engine::EquilibriumCurve;

const auto rmin_function = function(
    "rmin",
    "Minimum reflux by pinch detection (tangent pinches included).\n\n"
    "The result carries `r_min`, the controlling `pinch` point, whether it is\n"
    "`tangent`, and the q-line/curve `feed_point`.",
    [](const EquilibriumCurve& curve, double x_distillate, double x_bottoms, double z_feed, double q) {
        return engine::rmin(curve, x_distillate, x_bottoms, z_feed, q);
    },
    required<Instance<EquilibriumCurve>>("curve"), required<Float>("x_distillate"), required<Float>("x_bottoms"),
    required<Float>("z_feed"), optional<Float>("q", 1.0));

const auto mccabe_thiele_function = function(
    "mccabe_thiele",
    "The McCabe–Thiele construction on an equilibrium curve.\n\n"
    "Builds the rectifying and stripping operating lines and their intersection on\n"
    "the q-line, checks the reflux against the minimum reflux, steps off stages from\n"
    "(x_D, x_D) down to x_B (on the Murphree pseudo-equilibrium curve when\n"
    "murphree < 1) and returns every geometric object of the diagram with the\n"
    "fractional stage count and the optimal feed stage.",
    [](const EquilibriumCurve& curve, double x_distillate, double x_bottoms, double z_feed, double reflux, double q,
       double murphree, CondenserKind condenser) {
        return engine::mccabe_thiele(
            curve, engine::McCabeThieleSpec{x_distillate, x_bottoms, z_feed, q, reflux, murphree, condenser});
    },
    required<Instance<EquilibriumCurve>>("curve"), required<Float>("x_distillate"), required<Float>("x_bottoms"),
    required<Float>("z_feed"), required<Float>("reflux"), optional<Float>("q", 1.0), optional<Float>("murphree", 1.0),
    optional<Condenser>("condenser", CondenserKind::Total))
    .without_lock_when([](const EquilibriumCurve&, double, double, double, double, double, double murphree,
                          CondenserKind) { return murphree < 1.0; });

const auto total_reflux_function = function(
    "total_reflux", "Total-reflux construction: the minimum stage count N_min.",
    [](const EquilibriumCurve& curve, double x_distillate, double x_bottoms, double murphree) {
        return engine::total_reflux(curve, x_distillate, x_bottoms, murphree);
    },
    required<Instance<EquilibriumCurve>>("curve"), required<Float>("x_distillate"), required<Float>("x_bottoms"),
    optional<Float>("murphree", 1.0))
    .without_lock_when([](const EquilibriumCurve&, double, double, double murphree) { return murphree < 1.0; });

const auto n_vs_r_function = function(
    "n_vs_r",
    "Stage count vs reflux ratio: returns (r, n) pairs, with n = NaN where the\n"
    "construction failed (R at or below R_min) — the batch NaN-on-fail\n"
    "contract.",
    [](const EquilibriumCurve& curve, std::vector<double> r_values, double x_distillate, double x_bottoms,
       double z_feed, double q, double murphree, CondenserKind condenser, engine::Interrupt interrupt) {
        return engine::n_vs_r(curve, r_values,
                              engine::McCabeThieleSpec{x_distillate, x_bottoms, z_feed, q, 0.0, murphree, condenser},
                              interrupt);
    },
    required<Instance<EquilibriumCurve>>("curve"), required<FloatList>("r_values"), required<Float>("x_distillate"),
    required<Float>("x_bottoms"), required<Float>("z_feed"), optional<Float>("q", 1.0),
    optional<Float>("murphree", 1.0), optional<Condenser>("condenser", CondenserKind::Total))
    .without_lock();

}  // namespace

PyMethodDef rmin_def() { return def<rmin_function>(); }
PyMethodDef mccabe_thiele_def() { return def<mccabe_thiele_function>(); }
PyMethodDef total_reflux_def() { return def<total_reflux_function>(); }
PyMethodDef n_vs_r_def() { return def<n_vs_r_function>(); }

}  // namespace kolvar::bind
