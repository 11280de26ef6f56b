// The enthalpy of a Peng-Robinson benzene/toluene phase (target <= 0.5 us),
// from the library and through ThermoSystem with its checks, and the feed
// condition q from the feed temperature (target <= 20 us) for a subcooled,
// a two-phase and a superheated feed at 101.325 kPa. The "allocs/call"
// counter counts heap allocations per call.
#include "kolvar/testing/allocation_counter.hpp"
#include "engine/thermo/system.hpp"
#include "thermo/enthalpy.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using kolvar::engine::ThermoSystem;
using kolvar::thermo::Phase;

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

constexpr std::array<double, 2> feed{0.44, 0.56};

void report_allocations(benchmark::State& state, long before)
{
    state.counters["allocs/call"] = benchmark::Counter(
        static_cast<double>(kolvar::testing::allocation_count() - before) / static_cast<double>(state.iterations()));
}

void library(benchmark::State& state, double temperature, Phase phase)
{
    const auto spec = benzene_toluene().spec();
    const long before = kolvar::testing::allocation_count();
    for (auto _ : state) {
        auto h = kolvar::thermo::phase_enthalpy(spec, temperature, 101.325, feed, phase);
        benchmark::DoNotOptimize(h);
    }
    report_allocations(state, before);
}

void system_enthalpy(benchmark::State& state, double temperature, Phase phase)
{
    const ThermoSystem& system = benzene_toluene();
    for (auto _ : state) {
        auto h = system.enthalpy(temperature, 101.325, feed, phase);
        benchmark::DoNotOptimize(h);
    }
}

void feed_quality(benchmark::State& state, double temperature)
{
    const ThermoSystem& system = benzene_toluene();
    for (auto _ : state) {
        auto q = system.feed_quality(temperature, 101.325, feed);
        benchmark::DoNotOptimize(q);
    }
}

BENCHMARK_CAPTURE(library, liquid, 350.0, Phase::Liquid);
BENCHMARK_CAPTURE(library, vapour, 380.0, Phase::Vapor);
BENCHMARK_CAPTURE(system_enthalpy, liquid, 350.0, Phase::Liquid);
BENCHMARK_CAPTURE(system_enthalpy, vapour, 380.0, Phase::Vapor);
BENCHMARK_CAPTURE(feed_quality, subcooled, 347.0);
BENCHMARK_CAPTURE(feed_quality, two_phase, 370.0);
BENCHMARK_CAPTURE(feed_quality, superheated, 390.0);

}  // namespace

BENCHMARK_MAIN();
