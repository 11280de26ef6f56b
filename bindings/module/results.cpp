// The design's result classes: immutable records read attribute by attribute.
#include "module/classes.hpp"
#include "module/conversions.hpp"

#include "toolkit/class.hpp"

namespace kolvar::bind {
namespace {

using engine::McCabeThieleResult;
using engine::McCabeThieleSpec;
using engine::RminResult;
using engine::StagePoint;
using engine::TotalRefluxResult;

PyObject* make_mccabe_thiele_spec()
{
    ClassSpec<McCabeThieleSpec> spec{"Design specification for a McCabe–Thiele construction."};
    spec.attributes = {
        field<&McCabeThieleSpec::x_distillate>("x_distillate", "Distillate light-component mole fraction `x_D`."),
        field<&McCabeThieleSpec::x_bottoms>("x_bottoms", "Bottoms light-component mole fraction `x_B`."),
        field<&McCabeThieleSpec::z_feed>("z_feed", "Feed light-component mole fraction `z_F`."),
        field<&McCabeThieleSpec::q>("q", "Feed thermal condition `q` (1 = saturated liquid, 0 = saturated vapour)."),
        field<&McCabeThieleSpec::reflux>("reflux", "External reflux ratio `R = L/D`."),
        field<&McCabeThieleSpec::murphree>("murphree",
                                           "Murphree vapour efficiency `E_MV` in (0, 1]; 1 means theoretical stages."),
        field<&McCabeThieleSpec::condenser>("condenser", "Condenser kind, `Total` or `Partial`."),
    };
    return create_class(std::move(spec));
}
const DeclaredClass<McCabeThieleSpec> mccabe_thiele_spec_class{"McCabeThieleSpec", &make_mccabe_thiele_spec};

PyObject* make_stage_point()
{
    ClassSpec<StagePoint> spec{"One theoretical (or pseudo-, when `E_MV < 1`) stage of the staircase."};
    spec.attributes = {
        field<&StagePoint::index>("index", "Stage number, 1-based from the top."),
        field<&StagePoint::x>("x", "Liquid light-component fraction leaving the stage."),
        field<&StagePoint::y>("y", "Vapor light-component fraction leaving the stage."),
    };
    return create_class(std::move(spec));
}
const DeclaredClass<StagePoint> stage_point_class{"StagePoint", &make_stage_point};

PyObject* make_rmin_result()
{
    ClassSpec<RminResult> spec{"The result of a minimum-reflux analysis."};
    spec.attributes = {
        field<&RminResult::r_min>("r_min", "Minimum external reflux ratio `R_min`."),
        field<&RminResult::pinch>("pinch", "The controlling pinch point `(x, y)` on the equilibrium curve."),
        field<&RminResult::tangent>("tangent",
                                    "`true` if the controlling pinch is a tangent pinch (an interior curve\n"
                                    "point) rather than the feed (q-line) pinch."),
        field<&RminResult::feed_point>("feed_point", "The q-line ∩ equilibrium-curve point `(x_q*, y_q*)`."),
    };
    return create_class(std::move(spec));
}
const DeclaredClass<RminResult> rmin_result_class{"RminResult", &make_rmin_result};

PyObject* make_mccabe_thiele_result()
{
    ClassSpec<McCabeThieleResult> spec{
        "The full McCabe–Thiele construction: every geometric object on the diagram\n"
        "plus the stage count, so that notebooks and tools can query or redraw\n"
        "anything (rich result objects rather than bare numbers)."};
    spec.attributes = {
        field<&McCabeThieleResult::spec>("spec", "The specification the construction was built from."),
        field<&McCabeThieleResult::n_stages>(
            "n_stages",
            "Number of theoretical stages, fractional (the last stage is counted\n"
            "by the fraction of its step needed to reach `x_B`). Includes the\n"
            "partial reboiler, and the condenser too when it is partial."),
        field<&McCabeThieleResult::stages>("stages", "Stage corners, top-down, indices 1, 2, … without gaps."),
        field<&McCabeThieleResult::feed_stage>("feed_stage",
                                               "Optimal feed stage, 1-based from the top (the stage whose step\n"
                                               "crosses the operating-line intersection)."),
        field<&McCabeThieleResult::rmin>("rmin", "Minimum-reflux analysis for this spec (computed on the true curve)."),
        field<&McCabeThieleResult::rectifying>(
            "rectifying", "Rectifying operating line: slope R/(R+1), intercept x_D/(R+1), through (x_D, x_D)."),
        field<&McCabeThieleResult::stripping>("stripping",
                                              "Stripping operating line through (x_B, x_B) and the intersection."),
        field<&McCabeThieleResult::intersection>("intersection",
                                                 "Intersection of the two operating lines (on the q-line)."),
        field<&McCabeThieleResult::staircase>(
            "staircase",
            "The staircase polyline: starts at (x_D, x_D) and alternates horizontal\n"
            "and vertical segments, ending at the last corner."),
    };
    return create_class(std::move(spec));
}
const DeclaredClass<McCabeThieleResult> mccabe_thiele_result_class{"McCabeThieleResult", &make_mccabe_thiele_result};

PyObject* make_total_reflux_result()
{
    ClassSpec<TotalRefluxResult> spec{
        "The total-reflux construction: both operating lines collapse onto the y = x\n"
        "diagonal and stepping between curve and diagonal gives the minimum stage\n"
        "count N_min (Fenske's equation is its algebraic constant-α equivalent)."};
    spec.attributes = {
        field<&TotalRefluxResult::n_min>("n_min", "Minimum number of theoretical stages `N_min` (fractional, reboiler\n"
                                                  "included)."),
        field<&TotalRefluxResult::stages>("stages", "Stage corners, top-down."),
        field<&TotalRefluxResult::staircase>("staircase", "The staircase polyline against the diagonal."),
    };
    return create_class(std::move(spec));
}
const DeclaredClass<TotalRefluxResult> total_reflux_result_class{"TotalRefluxResult", &make_total_reflux_result};

}  // namespace

}  // namespace kolvar::bind
