// The rigorous rating of a staged column: every stage's component balances,
// equilibrium by equal fugacities of the system's own model, summations and
// enthalpy balance, solved together by Newton's method with the exact
// Jacobian, for any number of components.
//
// The unknowns of a stage are its leaving component flows, vapour v_i and
// liquid l_i (the liquid passed down, side draws apart), and its temperature;
// the summations hold by x = l/L and y = v/V. A total condenser adds its
// bubble point (temperature and incipient vapour) and the distillate rate.
// Two specifications replace the condenser's and the reboiler's enthalpy
// balances, whose duties then follow. A specification of the top (reflux, a
// distillate purity or recovery, the condenser duty) takes the condenser's
// row, one of the bottom (boilup, a bottoms purity or recovery, the
// reboiler duty) the reboiler's, a product
// rate whichever is left. Two of the same end: the first takes its row, the
// distillate rate becomes an unknown whose row takes the other end, and the
// second specification borders the block-tridiagonal system (one more
// equation, solved with it by one more substitution).
//
// Units: flows in kmol/h, temperatures in K, pressures in kPa, duties in kW.
#pragma once

#include "engine/column/stage_profile.hpp"
#include "engine/column/staged_column.hpp"
#include "engine/error.hpp"
#include "engine/interrupt.hpp"
#include "engine/thermo/system.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>
#include <variant>

namespace kolvar::engine {

// The specifications the solver takes: R = L/D, the distillate and bottoms
// rates [kmol/h], the boilup V_N/B, a product's mole fraction of one
// component (by index) and the fraction of a component's feed a product
// recovers, and the condenser's or the reboiler's duty [kW].
struct RefluxSpec {
    double value = 0.0;
};
struct DistillateRateSpec {
    double value = 0.0;
};
struct BottomsRateSpec {
    double value = 0.0;
};
struct BoilupSpec {
    double value = 0.0;
};
struct DistillatePuritySpec {
    std::size_t component = 0;
    double value = 0.0;
};
struct BottomsPuritySpec {
    std::size_t component = 0;
    double value = 0.0;
};
struct DistillateRecoverySpec {
    std::size_t component = 0;
    double value = 0.0;
};
struct BottomsRecoverySpec {
    std::size_t component = 0;
    double value = 0.0;
};
struct CondenserDutySpec {
    double value = 0.0;  // kW removed
};
struct ReboilerDutySpec {
    double value = 0.0;  // kW added
};
using ColumnSpecification =
    std::variant<RefluxSpec, DistillateRateSpec, BottomsRateSpec, BoilupSpec, DistillatePuritySpec,
                 BottomsPuritySpec, DistillateRecoverySpec, BottomsRecoverySpec, CondenserDutySpec,
                 ReboilerDutySpec>;

// "reflux", "distillate_rate", "bottoms_rate", "boilup", "distillate_purity",
// "bottoms_purity", "distillate_recovery", "bottoms_recovery",
// "condenser_duty", "reboiler_duty".
const char* name(const ColumnSpecification& specification);

// A column the solver can take, checked in order, each InvalidInput:
//   "n_stages must be at least {1 | 2 with a partial condenser}, got {N}";
//   "pressure must be positive and finite, got {P} kPa";
//   "pressure_drop must be finite and non-negative, got {dP} kPa";
//   "a column needs at least one feed";
//   per feed k: "feed {k} is on stage {s}, outside 1..{N}"; "feed {k} rate
//   must be positive and finite, got {F}"; "feed {k} composition has {m}
//   entries but the system has {n} components"; "feed {k} composition
//   entries must be finite and non-negative, got {v} at index {i}"; "feed {k}
//   composition must be mole fractions summing to 1, got a sum of {s}"; "feed
//   {k} q must be finite, got {q}" or "feed {k} temperature must be positive
//   and finite, got {T} K";
//   per side draw k: "side draw {k} is on stage {s}, outside 1..{N}"; "side
//   draw {k} rate must be finite and non-negative, got {S}";
//   "the side draws take {S} kmol/h of a total feed of {F} kmol/h";
//   "component {name} is in no feed" (it would have no flow anywhere).
Result<void> check_staged_column(const ThermoSystem& system, const StagedColumn& column);

// A pair of specifications that can hold on the column, after
// check_staged_column, each InvalidInput: "specification {name} names
// component {i}, but the system has {n} components"; "specification {name}
// must be positive and finite, got {v}" (reflux, rates, boilup);
// "specification {name} must lie strictly between 0 and 1, got {v}"
// (purities, recoveries); then Infeasible "{name} is given twice",
// "{name} = {v} kmol/h must be below the total feed less the side draws,
// {F - S} kmol/h", "distillate_rate and bottoms_rate fix the same
// balance; give one of them with reflux or boilup", and, beside a product
// rate, "{name} = {v} of \"{component}\" cannot hold in a {distillate |
// bottoms} of {rate} kmol/h from feeds bringing {f} kmol/h of it".
Result<void> check_specifications(const ThermoSystem& system, const StagedColumn& column,
                                  const std::array<ColumnSpecification, 2>& pair);

struct MeshSolution {
    StageProfile profile;  // stages top-down, products, duties
    double reflux = 0.0;   // L_0/D (total condenser) or L_1/D (partial)
    double boilup = 0.0;   // V_N/B
    unsigned iterations = 0;
    double residual = 0.0;  // the largest scaled residual at the solution
};

// Newton's tolerance on the largest scaled residual and its iteration limit.
inline constexpr double mesh_tolerance = 1e-10;
inline constexpr unsigned mesh_iterations = 100;

// The column rated at the two specifications: the checks above, then the
// initial profile (mesh/initial_profile.cpp), then Newton's method
// (mesh/newton.cpp). Failures: the checks; those of the feed enthalpies;
// ThermoFailed from the thermodynamics at the initial profile or at a
// Newton iterate that no shorter step recovers; NotConverged for a
// singular Jacobian and "no solution of the stage equations after {k}
// iterations: largest scaled residual {r} in the {equation}" (e.g.
// "enthalpy balance of stage 7", "equilibrium of benzene on stage 3",
// "specification reflux"); Interrupted, `interrupt` being asked once per
// iteration and by the bubble-point solves of the initialisation.
Result<MeshSolution> solve_staged_column(const ThermoSystem& system, const StagedColumn& column,
                                         const std::array<ColumnSpecification, 2>& pair, Interrupt interrupt = {});

// The stages (1-based, top-down) whose liquid splits by
// ThermoSystem::liquid_stability at the stage's temperature and pressure (a
// tangent-plane distance below -split_tolerance): a
// rating that assumes one liquid per stage is then not to be trusted. The
// failures of liquid_stability (ThermoFailed, Interrupted).
inline constexpr double split_tolerance = 1e-9;
Result<std::vector<std::uint64_t>> unstable_liquid_stages(const ThermoSystem& system, const StageProfile& profile,
                                                          Interrupt interrupt = {});

}  // namespace kolvar::engine
