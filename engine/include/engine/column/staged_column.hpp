// A column described stage by stage, as a rating of it reads it: its
// equilibrium stages, the feeds and side draws on them, the pressures and
// the condenser. This describes any column of any number of components;
// BinaryColumn (engine/column.hpp) describes a binary design by its product
// purities instead.
//
// Stages are numbered 1 to N from the top. N counts the equilibrium stages:
// the partial reboiler is stage N, and a partial condenser is stage 1. A
// total condenser is no stage: it returns liquid of the top vapour's
// composition at its bubble point, as both reflux and distillate.
//
// Units: flows in kmol/h, pressures in kPa absolute, temperatures in K.
#pragma once

#include "engine/column.hpp"

#include <cstdint>
#include <variant>
#include <vector>

namespace kolvar::engine {

// A feed's thermal condition: q by enthalpy, h_F = q h_L,sat(z) + (1 - q)
// H_V,sat(z) at the feed stage's pressure, or its temperature, whose stable
// phases at that pressure give h_F.
struct FeedQuality {
    double q = 1.0;
};
struct FeedTemperature {
    double t = 0.0;  // K
};
using ThermalCondition = std::variant<FeedQuality, FeedTemperature>;

struct StageFeed {
    std::uint64_t stage = 1;          // 1..N
    double rate = 0.0;                // kmol/h
    std::vector<double> composition;  // mole fractions, one per component
    ThermalCondition condition = FeedQuality{};
};

enum class DrawPhase : unsigned { Liquid = 0, Vapour = 1 };

// A product taken from a stage's leaving liquid or vapour.
struct SideDraw {
    std::uint64_t stage = 1;  // 1..N
    DrawPhase phase = DrawPhase::Liquid;
    double rate = 0.0;        // kmol/h
};

struct StagedColumn {
    std::uint64_t n_stages = 0;
    std::vector<StageFeed> feeds;
    double pressure = 0.0;       // stage 1's, and the total condenser's, kPa
    double pressure_drop = 0.0;  // per stage, kPa
    CondenserKind condenser = CondenserKind::Total;
    std::vector<SideDraw> side_draws;
};

// P_1 + (j - 1) ΔP, the pressure of stage j.
inline double stage_pressure(const StagedColumn& column, std::uint64_t stage)
{
    return column.pressure + static_cast<double>(stage - 1) * column.pressure_drop;
}

}  // namespace kolvar::engine
