// ln gamma of a binary by every activity model (NRTL and UNIQUAC: target
// <= 100 ns), the value alone and with its temperature slope (Dual), and an
// NRTL ethanol/water bubble temperature at 101.325 kPa through ThermoSystem.
// The "allocs/call" counter counts heap allocations per call.
#include "kolvar/testing/allocation_counter.hpp"
#include "engine/thermo/system.hpp"
#include "numerics/dual.hpp"
#include "thermo/activity.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using kolvar::thermo::ActivityInputs;
using kolvar::thermo::ActivityModel;
using kolvar::thermo::Dual;
using Rows = std::vector<std::vector<double>>;

// Ethanol/water: NRTL tau12 = -0.8009 + 246.18/T, tau21 = 3.4578 - 586.0809/T,
// alpha = 0.3; UNIQUAC with r, q of the two compounds; Wilson and van Laar
// with parameters of the same size.
const Rows nrtl_a{{0.0, -0.8009}, {3.4578, 0.0}};
const Rows nrtl_b{{0.0, 246.18}, {-586.0809, 0.0}};
const Rows nrtl_alpha{{0.0, 0.3}, {0.3, 0.0}};
const Rows uniquac_a{{0.0, 0.1}, {-0.2, 0.0}};
const Rows uniquac_b{{0.0, -150.0}, {-30.0, 0.0}};
const std::vector<double> r{2.1055, 0.92}, q{1.972, 1.4};
const Rows wilson{{0.0, 449.3}, {1964.6, 0.0}};
const std::vector<double> volumes{58.68, 18.07};

ActivityInputs inputs(ActivityModel model)
{
    switch (model) {
    case ActivityModel::NRTL: return {.parameters = nrtl_a, .b = nrtl_b, .alpha = nrtl_alpha};
    case ActivityModel::UNIQUAC: return {.parameters = uniquac_a, .b = uniquac_b, .r = r, .q = q};
    case ActivityModel::Wilson: return {.parameters = wilson, .molar_volumes = volumes};
    default: return {.parameters = nrtl_a};
    }
}

constexpr std::array<double, 2> x{0.3, 0.7};

template <class Real>
void ln_gamma(benchmark::State& state, ActivityModel model)
{
    const ActivityInputs in = inputs(model);
    std::array<Real, 2> out{};
    Real temperature = 351.0;
    if constexpr (kolvar::thermo::is_dual<Real>) temperature.dt = 1.0;
    const long before = kolvar::testing::allocation_count();
    for (auto _ : state) {
        kolvar::thermo::ln_gamma(model, temperature, x, in, std::span<Real>(out));
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.counters["allocs/call"] = benchmark::Counter(
        static_cast<double>(kolvar::testing::allocation_count() - before) / static_cast<double>(state.iterations()));
}

void value(benchmark::State& state, ActivityModel model) { ln_gamma<double>(state, model); }
void with_slope(benchmark::State& state, ActivityModel model) { ln_gamma<Dual>(state, model); }

void bubble_temperature(benchmark::State& state, double x1)
{
    using kolvar::engine::ThermoSystem;
    static const ThermoSystem system = [] {
        const std::vector<kolvar::engine::ComponentSource> names{std::string("ethanol"), std::string("water")};
        kolvar::engine::KeyedParameters keyed{{"a", nrtl_a}, {"b", nrtl_b}, {"alpha", nrtl_alpha}};
        kolvar::engine::ActivityOptions options;
        options.model = ActivityModel::NRTL;
        options.parameters = keyed;
        auto made = ThermoSystem::activity(names, options);
        if (!made) {
            std::fprintf(stderr, "%s\n", made.error().display().c_str());
            std::exit(1);
        }
        return *made;
    }();
    const std::array<double, 2> liquid{x1, 1.0 - x1};
    for (auto _ : state) {
        auto point = system.bubble_temperature(101.325, liquid);
        benchmark::DoNotOptimize(point);
    }
}

BENCHMARK_CAPTURE(value, NRTL, ActivityModel::NRTL);
BENCHMARK_CAPTURE(value, UNIQUAC, ActivityModel::UNIQUAC);
BENCHMARK_CAPTURE(value, Wilson, ActivityModel::Wilson);
BENCHMARK_CAPTURE(value, VanLaar, ActivityModel::VanLaar);
BENCHMARK_CAPTURE(with_slope, NRTL, ActivityModel::NRTL);
BENCHMARK_CAPTURE(with_slope, UNIQUAC, ActivityModel::UNIQUAC);
BENCHMARK_CAPTURE(bubble_temperature, NRTL_ethanol_water_x_0_1, 0.1);
BENCHMARK_CAPTURE(bubble_temperature, NRTL_ethanol_water_x_0_5, 0.5);
BENCHMARK_CAPTURE(bubble_temperature, NRTL_ethanol_water_x_0_9, 0.9);

}  // namespace

BENCHMARK_MAIN();
