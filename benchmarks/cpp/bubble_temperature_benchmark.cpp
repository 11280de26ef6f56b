// Bubble temperature at 101.325 kPa of equimolar methanol/water and
// benzene/toluene with PR1976 in both phases (Classical mixing, no kij), and
// the 101-point sweep of x that an equilibrium curve makes for methanol/water.
//
// Counters: "allocs/call", heap allocations per bubble temperature (the two
// result lists are the only expected ones), and, in a build configured with
// -DCMAKE_CXX_FLAGS=-DKOLVAR_COUNT_FUGACITY, "fugacity/call", the mixture
// fugacity evaluations per bubble temperature.
#include "kolvar/testing/allocation_counter.hpp"
#include "thermo/component.hpp"
#include "thermo/flash.hpp"

#ifdef KOLVAR_COUNT_FUGACITY
#include "../../thermo/src/flash/evaluation_count.hpp"
#endif

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>


namespace {

using namespace kolvar::thermo;

constexpr double pressure = 101.325;  // kPa

std::vector<Component> components(std::vector<std::string> names)
{
    auto found = find_components(names);
    if (!found) {
        std::fprintf(stderr, "%s\n", found.error().text().c_str());
        std::exit(1);
    }
    return *found;
}

SystemSpec peng_robinson(const std::vector<Component>& mixture)
{
    return {.liquid = liquid::PhiPhi{Eos::PR1976},
            .components = mixture,
            .mixing_rule = MixingRule::Classical,
            .vapor = VaporModel::equation_of_state(Eos::PR1976)};
}

struct Counts {
    long allocations;
    unsigned long long fugacity;
};

Counts counts_now()
{
#ifdef KOLVAR_COUNT_FUGACITY
    return {kolvar::testing::allocation_count(), flash::fugacity_evaluations};
#else
    return {kolvar::testing::allocation_count(), 0};
#endif
}

void report(benchmark::State& state, const Counts& before, double calls_per_iteration)
{
    const Counts after = counts_now();
    const double calls = static_cast<double>(state.iterations()) * calls_per_iteration;
    state.counters["allocs/call"] = static_cast<double>(after.allocations - before.allocations) / calls;
#ifdef KOLVAR_COUNT_FUGACITY
    state.counters["fugacity/call"] = static_cast<double>(after.fugacity - before.fugacity) / calls;
#endif
}

void equimolar(benchmark::State& state, const char* light, const char* heavy)
{
    const std::vector<Component> mixture = components({light, heavy});
    const SystemSpec spec = peng_robinson(mixture);
    const std::array<double, 2> x{0.5, 0.5};
    const Counts before = counts_now();
    for (auto _ : state) {
        auto point = bubble_temperature(spec, pressure, x, 1e-9, 200);
        if (!point) state.SkipWithError(point.error().text().c_str());
        benchmark::DoNotOptimize(point);
    }
    report(state, before, 1.0);
}

void curve_sweep(benchmark::State& state)
{
    const std::vector<Component> mixture = components({"methanol", "water"});
    const SystemSpec spec = peng_robinson(mixture);
    const Counts before = counts_now();
    for (auto _ : state) {
        for (int i = 0; i <= 100; ++i) {
            const double x1 = static_cast<double>(i) / 100.0;
            const std::array<double, 2> x{x1, 1.0 - x1};
            auto point = bubble_temperature(spec, pressure, x, 1e-9, 200);
            if (!point) state.SkipWithError(point.error().text().c_str());
            benchmark::DoNotOptimize(point);
        }
    }
    report(state, before, 101.0);
}

BENCHMARK_CAPTURE(equimolar, methanol_water, "methanol", "water")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(equimolar, benzene_toluene, "benzene", "toluene")->Unit(benchmark::kMicrosecond);
BENCHMARK(curve_sweep)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
