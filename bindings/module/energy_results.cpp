// The energy results: ColumnEnergy, PonchonSavaritStage and
// PonchonSavaritResult, immutable records read attribute by attribute and
// rebuilt with the checks of engine/energy/restore.hpp.
#include "module/classes.hpp"
#include "module/conversions.hpp"

#include "toolkit/class.hpp"

#include "engine/energy/restore.hpp"

#include "kolvar/format.hpp"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kolvar::bind {
namespace {

using engine::BinaryColumn;
using engine::ColumnEnergy;
using engine::Point;
using engine::PonchonSavaritResult;
using engine::PonchonSavaritStage;

const auto column_energy_rebuild = constructor<ColumnEnergy>(
    "ColumnEnergy", "",
    [](double distillate_rate, double bottoms_rate, double reflux_flow, double vapour_flow,
       double stripping_liquid_flow, double boilup, double top_temperature, double bottom_temperature,
       double condenser_duty, double reboiler_duty) {
        return engine::restore_column_energy({distillate_rate, bottoms_rate, reflux_flow, vapour_flow,
                                              stripping_liquid_flow, boilup, top_temperature, bottom_temperature,
                                              condenser_duty, reboiler_duty});
    },
    required<Float>("distillate_rate"), required<Float>("bottoms_rate"), required<Float>("reflux_flow"),
    required<Float>("vapour_flow"), required<Float>("stripping_liquid_flow"), required<Float>("boilup"),
    required<Float>("top_temperature"), required<Float>("bottom_temperature"), required<Float>("condenser_duty"),
    required<Float>("reboiler_duty"));

const auto stage_rebuild = constructor<PonchonSavaritStage>(
    "PonchonSavaritStage", "",
    [](std::uint64_t index, double x, double y, double t, double liquid_flow, double vapour_flow) {
        return engine::restore_ponchon_savarit_stage({index, x, y, t, liquid_flow, vapour_flow});
    },
    required<Count>("index"), required<Float>("x"), required<Float>("y"), required<Float>("t"),
    required<Float>("liquid_flow"), required<Float>("vapour_flow"));

const auto design_rebuild = constructor<PonchonSavaritResult>(
    "PonchonSavaritResult", "",
    [](const BinaryColumn& column, double reflux, double n_stages, std::vector<PonchonSavaritStage> stages,
       std::uint64_t feed_stage, double r_min, Point pinch, double condenser_duty, double reboiler_duty,
       double distillate_rate, double bottoms_rate, Point top_difference_point, Point bottom_difference_point) {
        return engine::restore_ponchon_savarit({column, reflux, n_stages, std::move(stages), feed_stage, r_min, pinch,
                                                condenser_duty, reboiler_duty, distillate_rate, bottoms_rate,
                                                top_difference_point, bottom_difference_point});
    },
    required<Instance<BinaryColumn>>("column"), required<Float>("reflux"), required<Float>("n_stages"),
    required<ListOf<Copied<PonchonSavaritStage>>>("stages"), required<Count>("feed_stage"), required<Float>("r_min"),
    required<XY>("pinch"), required<Float>("condenser_duty"), required<Float>("reboiler_duty"),
    required<Float>("distillate_rate"), required<Float>("bottoms_rate"), required<XY>("top_difference_point"),
    required<XY>("bottom_difference_point"));

// "ColumnEnergy(D = 50 kmol/h, B = 50 kmol/h, top 353.25 K, Q_C = 1815.2 kW, Q_R = 1186.0 kW)".
std::string column_energy_repr(const ColumnEnergy& e)
{
    return format::text("ColumnEnergy(D = ", format::Fixed{e.distillate_rate, 3}, " kmol/h, B = ",
                        format::Fixed{e.bottoms_rate, 3}, " kmol/h, top ", format::Fixed{e.top_temperature, 2},
                        " K, Q_C = ", format::Fixed{e.condenser_duty, 1}, " kW, Q_R = ",
                        format::Fixed{e.reboiler_duty, 1}, " kW)");
}

// "PonchonSavaritStage(3, x = 0.7012, y = 0.8432, T = 360.12 K)".
std::string stage_repr(const PonchonSavaritStage& s)
{
    return format::text("PonchonSavaritStage(", s.index, ", x = ", format::Fixed{s.x, 4}, ", y = ",
                        format::Fixed{s.y, 4}, ", T = ", format::Fixed{s.t, 2}, " K)");
}

// "PonchonSavaritResult(N = 12.3, feed on 6, R = 1.500, R_min = 1.012)".
std::string design_repr(const PonchonSavaritResult& r)
{
    return format::text("PonchonSavaritResult(N = ", format::Fixed{r.n_stages, 1}, ", feed on ", r.feed_stage,
                        ", R = ", format::Fixed{r.reflux, 3}, ", R_min = ", format::Fixed{r.r_min, 3}, ")");
}

PyObject* make_column_energy()
{
    ClassSpec<ColumnEnergy> spec{
        "Flows and duties of a binary column at constant molar overflow, from the\n"
        "enthalpies of its system: flows in kmol/h, temperatures in K, duties in kW."};
    spec.attributes = {
        field<&ColumnEnergy::distillate_rate>("distillate_rate", "Distillate flow `D` in **kmol/h**."),
        field<&ColumnEnergy::bottoms_rate>("bottoms_rate", "Bottoms flow `B` in **kmol/h**."),
        field<&ColumnEnergy::reflux_flow>("reflux_flow", "Reflux `L = R·D` in **kmol/h**."),
        field<&ColumnEnergy::vapour_flow>("vapour_flow",
                                          "Vapour of the rectifying section `V = (R + 1)·D` in **kmol/h**."),
        field<&ColumnEnergy::stripping_liquid_flow>("stripping_liquid_flow",
                                                    "Liquid of the stripping section `L + q·F` in **kmol/h**."),
        field<&ColumnEnergy::boilup>("boilup", "Vapour of the stripping section `V − (1 − q)·F` in **kmol/h**."),
        field<&ColumnEnergy::top_temperature>(
            "top_temperature", "Bubble temperature of the distillate [K] (its dew temperature with a\npartial "
                               "condenser)."),
        field<&ColumnEnergy::bottom_temperature>("bottom_temperature", "Bubble temperature of the bottoms [K]."),
        field<&ColumnEnergy::condenser_duty>("condenser_duty", "Heat removed in the condenser, **kW**."),
        field<&ColumnEnergy::reboiler_duty>("reboiler_duty",
                                            "Heat added in the reboiler, **kW**, from the overall energy balance."),
    };
    spec.rebuilt_by<column_energy_rebuild>();
    spec.repr = repr_of<ColumnEnergy, &column_energy_repr>;
    return create_class(std::move(spec));
}
const DeclaredClass<ColumnEnergy> column_energy_class{"ColumnEnergy", &make_column_energy,
                                                      Exposure::ThroughOtherObjects};

PyObject* make_ponchon_savarit_stage()
{
    ClassSpec<PonchonSavaritStage> spec{"One equilibrium stage of an enthalpy-balanced design, with its flows."};
    spec.attributes = {
        field<&PonchonSavaritStage::index>("index", "Stage number, 1-based from the top."),
        field<&PonchonSavaritStage::x>("x", "Liquid light-component fraction leaving the stage."),
        field<&PonchonSavaritStage::y>("y", "Vapour light-component fraction leaving the stage."),
        field<&PonchonSavaritStage::t>("t", "Stage temperature, the bubble temperature of `x` [K]."),
        field<&PonchonSavaritStage::liquid_flow>("liquid_flow", "Liquid leaving the stage in **kmol/h**."),
        field<&PonchonSavaritStage::vapour_flow>("vapour_flow", "Vapour leaving the stage in **kmol/h**."),
    };
    spec.rebuilt_by<stage_rebuild>();
    spec.repr = repr_of<PonchonSavaritStage, &stage_repr>;
    return create_class(std::move(spec));
}
const DeclaredClass<PonchonSavaritStage> ponchon_savarit_stage_class{
    "PonchonSavaritStage", &make_ponchon_savarit_stage, Exposure::ThroughOtherObjects};

PyObject* make_ponchon_savarit_result()
{
    ClassSpec<PonchonSavaritResult> spec{
        "The enthalpy-balanced (Ponchon–Savarit) design of a binary column: stages\n"
        "stepped on the system's own tie lines and enthalpies, without constant\n"
        "molar overflow, with the flows, temperatures and duties that go with them."};
    spec.attributes = {
        field<&PonchonSavaritResult::column>("column", "The column the design was made for."),
        field<&PonchonSavaritResult::reflux>("reflux", "External reflux ratio `R = L₀/D`."),
        field<&PonchonSavaritResult::n_stages>(
            "n_stages",
            "Number of equilibrium stages, fractional (the last stage is counted by\n"
            "the fraction of its step needed to reach `x_B`). Includes the partial\n"
            "reboiler, and the condenser too when it is partial."),
        field<&PonchonSavaritResult::stages>("stages", "The stages, top-down, indices 1, 2, … without gaps."),
        field<&PonchonSavaritResult::feed_stage>("feed_stage", "Feed stage, 1-based from the top."),
        field<&PonchonSavaritResult::r_min>("r_min", "Minimum external reflux ratio, tangent pinches included."),
        field<&PonchonSavaritResult::pinch>("pinch", "The tie line `(x, y)` that sets the minimum reflux."),
        field<&PonchonSavaritResult::condenser_duty>("condenser_duty", "Heat removed in the condenser, **kW**."),
        field<&PonchonSavaritResult::reboiler_duty>("reboiler_duty", "Heat added in the reboiler, **kW**."),
        field<&PonchonSavaritResult::distillate_rate>("distillate_rate", "Distillate flow `D` in **kmol/h**."),
        field<&PonchonSavaritResult::bottoms_rate>("bottoms_rate", "Bottoms flow `B` in **kmol/h**."),
        field<&PonchonSavaritResult::top_difference_point>(
            "top_difference_point", "The top difference point `(x_D, h_D + Q_C/D)`, enthalpy in J/mol."),
        field<&PonchonSavaritResult::bottom_difference_point>(
            "bottom_difference_point", "The bottom difference point `(x_B, h_B − Q_R/B)`, enthalpy in J/mol."),
    };
    spec.rebuilt_by<design_rebuild>();
    spec.repr = repr_of<PonchonSavaritResult, &design_repr>;
    return create_class(std::move(spec));
}
const DeclaredClass<PonchonSavaritResult> ponchon_savarit_result_class{
    "PonchonSavaritResult", &make_ponchon_savarit_result, Exposure::ThroughOtherObjects};

}  // namespace

}  // namespace kolvar::bind
