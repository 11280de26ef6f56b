// The stage profiles of the binary designs.
#include "engine/column/stage_profile.hpp"

#include <array>
#include <utility>

namespace kolvar::engine {
namespace {

std::vector<double> binary(double x) { return {x, 1.0 - x}; }

// The products and duties every binary design reports alike.
StageProfile binary_ends(const BinaryColumn& column, double distillate, double bottoms, double condenser_duty,
                         double reboiler_duty)
{
    StageProfile out;
    out.distillate = {distillate, binary(column.x_distillate)};
    out.bottoms = {bottoms, binary(column.x_bottoms)};
    out.condenser_duty = condenser_duty;
    out.reboiler_duty = reboiler_duty;
    return out;
}

}  // namespace

Result<StageProfile> mccabe_thiele_profile(const ThermoSystem& system, const BinaryColumn& column,
                                           const McCabeThieleResult& staircase, const ColumnEnergy& energy,
                                           Interrupt interrupt)
{
    StageProfile out = binary_ends(column, energy.distillate_rate, energy.bottoms_rate, energy.condenser_duty,
                                   energy.reboiler_duty);
    const std::uint64_t last = staircase.stages.size();
    const std::uint64_t feed = staircase.feed_stage;
    const bool partial = column.condenser == CondenserKind::Partial;
    out.stages.reserve(staircase.stages.size());
    for (const StagePoint& stage : staircase.stages) {
        const std::uint64_t n = stage.index;
        const double liquid = n == last ? energy.bottoms_rate
                              : n < feed ? energy.reflux_flow
                                         : energy.stripping_liquid_flow;
        const double vapour = partial && n == 1 ? energy.distillate_rate
                              : n <= feed       ? energy.vapour_flow
                                                : energy.boilup;
        const std::array<double, 2> x{stage.x, 1.0 - stage.x};
        auto bubble = system.bubble_temperature(column.pressure, x, interrupt);
        if (!bubble) return std::unexpected(std::move(bubble.error()));
        out.stages.push_back({.index = n,
                              .t = bubble->value,
                              .p = column.pressure,
                              .x = binary(stage.x),
                              .y = binary(stage.y),
                              .liquid_flow = liquid,
                              .vapour_flow = vapour,
                              .k = std::move(bubble->k)});
    }
    return out;
}

StageProfile ponchon_savarit_profile(const PonchonSavaritResult& design)
{
    StageProfile out = binary_ends(design.column, design.distillate_rate, design.bottoms_rate, design.condenser_duty,
                                   design.reboiler_duty);
    out.stages.reserve(design.stages.size());
    for (const PonchonSavaritStage& stage : design.stages)
        out.stages.push_back({.index = stage.index,
                              .t = stage.t,
                              .p = design.column.pressure,
                              .x = binary(stage.x),
                              .y = binary(stage.y),
                              .liquid_flow = stage.liquid_flow,
                              .vapour_flow = stage.vapour_flow,
                              .k = {}});
    return out;
}

}  // namespace kolvar::engine
