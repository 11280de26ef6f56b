// The equilibrium curve of a Peng-Robinson binary at 101.325 kPa on 101
// points (target: under 1 ms with the test for a liquid split), with and
// without that test, and the test alone at the bubble point of x = 0.3: benzene/toluene
// (no split) and methanol/water (kij = 0, a split between x = 0.089 and
// 0.474 whose edges the split test refines).
#include "engine/binary/curve_from_thermo.hpp"
#include "thermo/binary_stability.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace kolvar;

constexpr double pressure = 101.325;  // kPa

engine::ThermoSystem system_of(std::vector<std::string> names)
{
    auto system = engine::ThermoSystem::peng_robinson(names);
    if (!system) {
        std::fprintf(stderr, "%s\n", system.error().display().c_str());
        std::exit(1);
    }
    return std::move(*system);
}

void curve(benchmark::State& state, std::vector<std::string> names)
{
    const auto system = system_of(std::move(names));
    for (auto _ : state) benchmark::DoNotOptimize(engine::curve_from_thermo(system, pressure, 101));
}

void curve_and_split(benchmark::State& state, std::vector<std::string> names)
{
    const auto system = system_of(std::move(names));
    for (auto _ : state) benchmark::DoNotOptimize(engine::curve_and_split_from_thermo(system, pressure, 101));
}

// The split test at the bubble point of x = 0.3, inside methanol/water's split.
void split_test(benchmark::State& state, std::vector<std::string> names)
{
    const auto system = system_of(std::move(names));
    const std::array<double, 2> x{0.3, 0.7};
    const double t = system.bubble_temperature(pressure, x).value().value;
    for (auto _ : state) benchmark::DoNotOptimize(thermo::binary_liquid_splits(system.spec(), t, pressure, x));
}

const std::vector<std::string> benzene_toluene{"benzene", "toluene"};
const std::vector<std::string> methanol_water{"methanol", "water"};

BENCHMARK_CAPTURE(curve, benzene_toluene, benzene_toluene)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(curve_and_split, benzene_toluene, benzene_toluene)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(curve, methanol_water, methanol_water)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(curve_and_split, methanol_water, methanol_water)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(split_test, benzene_toluene, benzene_toluene);
BENCHMARK_CAPTURE(split_test, methanol_water, methanol_water);

}  // namespace

BENCHMARK_MAIN();
