// The energy of the textbook benzene/toluene column (100 kmol/h, z_F = 0.44,
// x_D = 0.974, x_B = 0.0235, R = 3.5) on Peng-Robinson at 101.325 kPa: its
// flows and duties (target <= 30 us) and its enthalpy-balanced design
// (target <= 1 ms: the sampled enthalpy-composition diagram, measured on its
// own, gives the starts; each stage then settles on three or four bubble
// points).
#include "engine/energy/column_balance.hpp"
#include "engine/energy/enthalpy_curve.hpp"
#include "engine/energy/ponchon_savarit.hpp"
#include "engine/thermo/system.hpp"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace kolvar::engine;

const ThermoSystem& benzene_toluene()
{
    static const ThermoSystem system = [] {
        auto made = ThermoSystem::peng_robinson(std::vector<std::string>{"benzene", "toluene"});
        if (!made) {
            std::fprintf(stderr, "%s\n", made.error().display().c_str());
            std::exit(1);
        }
        return *made;
    }();
    return system;
}

BinaryColumn textbook(CondenserKind condenser)
{
    return BinaryColumn{101.325, Feed{100.0, 0.44, 1.0}, 0.974, 0.0235, condenser};
}

constexpr double reflux = 3.5;

template <class T>
void check(const Result<T>& result)
{
    if (!result) {
        std::fprintf(stderr, "%s\n", result.error().display().c_str());
        std::exit(1);
    }
}

void column_flows_and_duties(benchmark::State& state, CondenserKind condenser)
{
    const BinaryColumn column = textbook(condenser);
    check(column_energy(benzene_toluene(), column, reflux));
    for (auto _ : state) {
        auto energy = column_energy(benzene_toluene(), column, reflux);
        benchmark::DoNotOptimize(energy);
    }
}

void enthalpy_diagram(benchmark::State& state)
{
    for (auto _ : state) {
        auto lines = enthalpy_curve(benzene_toluene(), 101.325);
        benchmark::DoNotOptimize(lines);
    }
}

void enthalpy_balanced_design(benchmark::State& state, CondenserKind condenser)
{
    const BinaryColumn column = textbook(condenser);
    check(ponchon_savarit(benzene_toluene(), column, reflux));
    for (auto _ : state) {
        auto design = ponchon_savarit(benzene_toluene(), column, reflux);
        benchmark::DoNotOptimize(design);
    }
    state.counters["stages"] = ponchon_savarit(benzene_toluene(), column, reflux)->n_stages;
}

BENCHMARK_CAPTURE(column_flows_and_duties, total, CondenserKind::Total)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(column_flows_and_duties, partial, CondenserKind::Partial)->Unit(benchmark::kMicrosecond);
BENCHMARK(enthalpy_diagram)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(enthalpy_balanced_design, total, CondenserKind::Total)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(enthalpy_balanced_design, partial, CondenserKind::Partial)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
