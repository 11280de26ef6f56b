// The design's result classes: immutable records read attribute by attribute.
#include "module/classes.hpp"
#include "module/conversions.hpp"

#include "toolkit/class.hpp"

#include "engine/binary/restore.hpp"

#include <cstdint>
#include <utility>
#include <vector>

namespace kolvar::bind {
namespace {

using engine::McCabeThieleResult;
using engine::McCabeThieleSpec;
using engine::RminResult;
using engine::StagePoint;
using engine::TotalRefluxResult;

using engine::CondenserKind;
using engine::Line;
using engine::Point;

// Each result class is rebuilt from its attributes, in order, with the checks
// of engine/binary/restore.hpp.

const auto spec_rebuild = constructor<McCabeThieleSpec>(
    "McCabeThieleSpec", "",
    [](double x_distillate, double x_bottoms, double z_feed, double q, double reflux, double murphree,
       CondenserKind condenser) {
        return engine::restore_spec({x_distillate, x_bottoms, z_feed, q, reflux, murphree, condenser});
    },
    required<Float>("x_distillate"), required<Float>("x_bottoms"), required<Float>("z_feed"), required<Float>("q"),
    required<Float>("reflux"), required<Float>("murphree"), required<Copied<CondenserKind>>("condenser"));

const auto stage_rebuild = constructor<StagePoint>(
    "StagePoint", "", [](std::uint64_t index, double x, double y) { return engine::restore_stage(index, x, y); },
    required<Count>("index"), required<Float>("x"), required<Float>("y"));

const auto rmin_rebuild = constructor<RminResult>(
    "RminResult", "",
    [](double r_min, Point pinch, bool tangent, Point feed_point) {
        return engine::restore_rmin(r_min, pinch, tangent, feed_point);
    },
    required<Float>("r_min"), required<XY>("pinch"), required<Flag>("tangent"), required<XY>("feed_point"));

const auto design_rebuild = constructor<McCabeThieleResult>(
    "McCabeThieleResult", "",
    [](const McCabeThieleSpec& spec, double n_stages, std::vector<StagePoint> stages, std::uint64_t feed_stage,
       const RminResult& rmin, const Line& rectifying, const Line& stripping, Point intersection,
       std::vector<Point> staircase) {
        return engine::restore_design({spec, n_stages, std::move(stages), feed_stage, rmin, rectifying, stripping,
                                       intersection, std::move(staircase)});
    },
    required<Instance<McCabeThieleSpec>>("spec"), required<Float>("n_stages"),
    required<ListOf<Copied<StagePoint>>>("stages"), required<Count>("feed_stage"),
    required<Instance<RminResult>>("rmin"), required<Instance<Line>>("rectifying"),
    required<Instance<Line>>("stripping"), required<XY>("intersection"), required<ListOf<XY>>("staircase"));

const auto total_reflux_rebuild = constructor<TotalRefluxResult>(
    "TotalRefluxResult", "",
    [](double n_min, std::vector<StagePoint> stages, std::vector<Point> staircase) {
        return engine::restore_total_reflux({n_min, std::move(stages), std::move(staircase)});
    },
    required<Float>("n_min"), required<ListOf<Copied<StagePoint>>>("stages"), required<ListOf<XY>>("staircase"));

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
    spec.rebuilt_by<spec_rebuild>();
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
    spec.rebuilt_by<stage_rebuild>();
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
    spec.rebuilt_by<rmin_rebuild>();
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
    spec.rebuilt_by<design_rebuild>();
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
    spec.rebuilt_by<total_reflux_rebuild>();
    return create_class(std::move(spec));
}
const DeclaredClass<TotalRefluxResult> total_reflux_result_class{"TotalRefluxResult", &make_total_reflux_result};

}  // namespace

}  // namespace kolvar::bind
