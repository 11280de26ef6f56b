// What a column does stage by stage: the temperature, pressure, compositions,
// flows and equilibrium ratios of every stage, the products and the duties.
// Every design or rating of a column reports its stages in this one form;
// the McCabe-Thiele and Ponchon-Savarit designs of a binary column are read
// into it below.
//
// Units: flows in kmol/h, temperatures in K, pressures in kPa, duties in kW.
#pragma once

#include "engine/binary/mccabe_thiele.hpp"
#include "engine/column.hpp"
#include "engine/energy/column_balance.hpp"
#include "engine/energy/ponchon_savarit.hpp"
#include "engine/error.hpp"
#include "engine/interrupt.hpp"
#include "engine/thermo/system.hpp"

#include <cstdint>
#include <vector>

namespace kolvar::engine {

struct ProfileStage {
    std::uint64_t index = 0;    // 1-based from the top
    double t = 0.0;             // K
    double p = 0.0;             // kPa
    std::vector<double> x;      // liquid leaving the stage, one mole fraction per component
    std::vector<double> y;      // vapour leaving the stage
    double liquid_flow = 0.0;   // liquid leaving the stage, kmol/h
    double vapour_flow = 0.0;   // vapour leaving the stage, kmol/h
    std::vector<double> k;      // K-values at the stage, empty where the method knows none
};

struct Product {
    double rate = 0.0;                // kmol/h
    std::vector<double> composition;  // mole fractions
};

struct StageProfile {
    std::vector<ProfileStage> stages;  // top-down
    Product distillate;
    Product bottoms;
    std::vector<Product> side_draws;  // one per side draw of the column, in its order
    double condenser_duty = 0.0;  // kW
    double reboiler_duty = 0.0;   // kW
};

// The stages of a McCabe-Thiele design of `column` with its flows and duties
// (`energy`, from column_energy at the design's reflux), at constant molar
// overflow: the liquid leaving a stage above the feed stage is L and below it
// L', the vapour leaving a stage at or above the feed stage V and below it
// V'; the reboiler (the last stage) passes the bottoms B down, and a partial
// condenser (stage 1) the distillate D up. Each stage is at the column
// pressure and the bubble temperature of its liquid, with the K-values
// there: the failures of ThermoSystem::bubble_temperature, `interrupt` asked
// by each.
Result<StageProfile> mccabe_thiele_profile(const ThermoSystem& system, const BinaryColumn& column,
                                           const McCabeThieleResult& staircase, const ColumnEnergy& energy,
                                           Interrupt interrupt = {});

// The stages of a Ponchon-Savarit design as it stepped them, with their own
// flows and temperatures, at the column pressure; no K-values.
StageProfile ponchon_savarit_profile(const PonchonSavaritResult& design);

}  // namespace kolvar::engine
