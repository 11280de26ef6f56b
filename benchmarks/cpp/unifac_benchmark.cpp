// ln gamma by UNIFAC and UNIFAC-Dortmund from the prepared subgroups: a
// binary of four subgroups (ethanol/water; target <= 0.3 us), ten components
// (target <= 5 us), the value alone and with its temperature slope (Dual),
// and a UNIFAC ethanol/water bubble temperature at 101.325 kPa through
// ThermoSystem. The "allocs/call" counter counts heap allocations per call.
#include "kolvar/testing/allocation_counter.hpp"
#include "engine/thermo/system.hpp"
#include "numerics/dual.hpp"
#include "thermo/activity.hpp"
#include "thermo/group_contribution.hpp"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using kolvar::thermo::ActivityModel;
using kolvar::thermo::Dual;

const std::vector<std::string> binary{"ethanol", "water"};
const std::vector<std::string> ten{"ethanol", "water",   "methanol",    "acetone",    "benzene",
                                   "toluene", "n-hexane", "2-propanol", "chloroform", "cyclohexane"};

kolvar::thermo::GroupMixture prepared(ActivityModel model, const std::vector<std::string>& names)
{
    auto components = kolvar::thermo::find_components(names);
    auto groups = kolvar::thermo::prepare_groups(*kolvar::thermo::group_model(model), components.value());
    if (!groups) {
        std::fprintf(stderr, "%s\n", groups.error().c_str());
        std::exit(1);
    }
    return *groups;
}

template <class Real>
void ln_gamma(benchmark::State& state, ActivityModel model, const std::vector<std::string>* names)
{
    const kolvar::thermo::GroupMixture groups = prepared(model, *names);
    kolvar::thermo::ActivityInputs inputs;
    inputs.groups = &groups;
    std::vector<double> x(names->size());
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = (1.0 + static_cast<double>(i)) / (0.5 * x.size() * (x.size() + 1.0));
    std::vector<Real> out(x.size());
    Real temperature = 351.0;
    if constexpr (kolvar::thermo::is_dual<Real>) temperature.dt = 1.0;
    const long before = kolvar::testing::allocation_count();
    for (auto _ : state) {
        kolvar::thermo::ln_gamma(model, temperature, std::span<const double>(x), inputs, std::span<Real>(out));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["allocs/call"] = benchmark::Counter(
        static_cast<double>(kolvar::testing::allocation_count() - before) / static_cast<double>(state.iterations()));
}

void value(benchmark::State& state, ActivityModel model, const std::vector<std::string>* names)
{
    ln_gamma<double>(state, model, names);
}
void with_slope(benchmark::State& state, ActivityModel model, const std::vector<std::string>* names)
{
    ln_gamma<Dual>(state, model, names);
}

void bubble_temperature(benchmark::State& state, double x1)
{
    using kolvar::engine::ThermoSystem;
    static const ThermoSystem system = [] {
        const std::vector<kolvar::engine::ComponentSource> names{std::string("ethanol"), std::string("water")};
        kolvar::engine::ActivityOptions options;
        options.model = ActivityModel::UNIFAC;
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

BENCHMARK_CAPTURE(value, UNIFAC_binary, ActivityModel::UNIFAC, &binary);
BENCHMARK_CAPTURE(value, UNIFAC_Dortmund_binary, ActivityModel::UNIFACDortmund, &binary);
BENCHMARK_CAPTURE(with_slope, UNIFAC_binary, ActivityModel::UNIFAC, &binary);
BENCHMARK_CAPTURE(with_slope, UNIFAC_Dortmund_binary, ActivityModel::UNIFACDortmund, &binary);
BENCHMARK_CAPTURE(value, UNIFAC_ten, ActivityModel::UNIFAC, &ten);
BENCHMARK_CAPTURE(value, UNIFAC_Dortmund_ten, ActivityModel::UNIFACDortmund, &ten);
BENCHMARK_CAPTURE(with_slope, UNIFAC_Dortmund_ten, ActivityModel::UNIFACDortmund, &ten);
BENCHMARK_CAPTURE(bubble_temperature, UNIFAC_ethanol_water_x_0_1, 0.1);
BENCHMARK_CAPTURE(bubble_temperature, UNIFAC_ethanol_water_x_0_5, 0.5);
BENCHMARK_CAPTURE(bubble_temperature, UNIFAC_ethanol_water_x_0_9, 0.9);

}  // namespace

BENCHMARK_MAIN();
