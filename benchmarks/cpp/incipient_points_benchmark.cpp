// Bubble and dew points with PR1976 in both phases (Classical mixing, no kij)
// for benzene/toluene and methanol/water, light-component fraction 0.1, 0.5
// and 0.9 in the known phase:
//   bubble_temperature, dew_temperature at 101.325 kPa  (target <= 15 us through Python)
//   bubble_pressure, dew_pressure at 350 K              (target <= 8 us through Python)
//   curve_sweep, 101 bubble temperatures                (target <= 1.5 ms through Python)
// each beside the general procedure it runs before (grid scan with
// bisection on T, substitution on P), which is what every call cost before
// the Newton fast path.
//
// Counters: "allocs/call", heap allocations per bubble point (the two result
// lists are the only expected ones), and, in a build configured with
// -DCMAKE_CXX_FLAGS=-DKOLVAR_COUNT_FUGACITY, "fugacity/call", the general
// fugacity evaluations per bubble point (the fast path uses its own kernel
// and counts none).
#include "kolvar/testing/allocation_counter.hpp"
#include "thermo/component.hpp"
#include "thermo/dew_point.hpp"
#include "thermo/flash.hpp"

#include "flash/evaluation_count.hpp"
#include "flash/general_solvers.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace kolvar::thermo;

constexpr double pressure = 101.325;   // kPa
constexpr double temperature = 350.0;  // K

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

using Solver = std::expected<IncipientPoint, ThermoError> (*)(const SystemSpec&, std::span<const double>);

std::expected<IncipientPoint, ThermoError> public_temperature(const SystemSpec& s, std::span<const double> x)
{
    return bubble_temperature(s, pressure, x, 1e-9, 200);
}
std::expected<IncipientPoint, ThermoError> scan_temperature(const SystemSpec& s, std::span<const double> x)
{
    return flash::scan_bubble_temperature(s, pressure, x, 1e-9, 200);
}
std::expected<IncipientPoint, ThermoError> public_pressure(const SystemSpec& s, std::span<const double> x)
{
    return bubble_pressure(s, temperature, x, Direction::Bubble, 1e-9, 200);
}
std::expected<IncipientPoint, ThermoError> substitution_pressure(const SystemSpec& s, std::span<const double> x)
{
    return flash::substitution_bubble_pressure(s, temperature, x, Direction::Bubble, 1e-9, 200);
}
std::expected<IncipientPoint, ThermoError> public_dew_temperature(const SystemSpec& s, std::span<const double> y)
{
    return dew_temperature(s, pressure, y, 1e-9, 200);
}
std::expected<IncipientPoint, ThermoError> scan_dew_temperature(const SystemSpec& s, std::span<const double> y)
{
    return flash::incipient_temperature(s, pressure, y, Direction::Dew, 1e-9, 200);
}
std::expected<IncipientPoint, ThermoError> public_dew_pressure(const SystemSpec& s, std::span<const double> y)
{
    return dew_pressure(s, temperature, y, 1e-9, 200);
}
std::expected<IncipientPoint, ThermoError> substitution_dew_pressure(const SystemSpec& s, std::span<const double> y)
{
    return flash::substitution_bubble_pressure(s, temperature, y, Direction::Dew, 1e-9, 200);
}

void one_point(benchmark::State& state, Solver solve, std::vector<Component> mixture, double light)
{
    const SystemSpec spec = peng_robinson(mixture);
    const std::array<double, 2> x{light, 1.0 - light};
    const Counts before = counts_now();
    for (auto _ : state) {
        auto point = solve(spec, x);
        if (!point) state.SkipWithError(point.error().text().c_str());
        benchmark::DoNotOptimize(point);
    }
    report(state, before, 1.0);
}

void curve_sweep(benchmark::State& state, Solver solve, std::vector<Component> mixture)
{
    const SystemSpec spec = peng_robinson(mixture);
    const Counts before = counts_now();
    for (auto _ : state) {
        for (int i = 0; i <= 100; ++i) {
            const double x1 = static_cast<double>(i) / 100.0;
            const std::array<double, 2> x{x1, 1.0 - x1};
            auto point = solve(spec, x);
            if (!point) state.SkipWithError(point.error().text().c_str());
            benchmark::DoNotOptimize(point);
        }
    }
    report(state, before, 101.0);
}

void register_all()
{
    const std::array<std::array<const char*, 2>, 2> pairs{{{"benzene", "toluene"}, {"methanol", "water"}}};
    const std::array<std::pair<const char*, Solver>, 8> solvers{{{"bubble_temperature", public_temperature},
                                                                  {"scan_bubble_temperature", scan_temperature},
                                                                  {"bubble_pressure", public_pressure},
                                                                  {"substitution_bubble_pressure", substitution_pressure},
                                                                  {"dew_temperature", public_dew_temperature},
                                                                  {"scan_dew_temperature", scan_dew_temperature},
                                                                  {"dew_pressure", public_dew_pressure},
                                                                  {"substitution_dew_pressure", substitution_dew_pressure}}};
    for (const auto& [label, solve] : solvers) {
        for (const auto& pair : pairs) {
            const auto mixture = components({pair[0], pair[1]});
            for (double light : {0.1, 0.5, 0.9}) {
                const std::string name = std::string(label) + "/" + pair[0] + "_" + pair[1] + "/x" +
                                         std::to_string(static_cast<int>(light * 10.0 + 0.5));
                benchmark::RegisterBenchmark(name.c_str(), one_point, solve, mixture, light)->Unit(benchmark::kMicrosecond);
            }
        }
    }
    const std::array<std::pair<const char*, Solver>, 2> sweeps{{{"curve_sweep", public_temperature},
                                                                {"scan_curve_sweep", scan_temperature}}};
    for (const auto& [label, solve] : sweeps) {
        for (const auto& pair : pairs) {
            const std::string name = std::string(label) + "/" + pair[0] + "_" + pair[1];
            benchmark::RegisterBenchmark(name.c_str(), curve_sweep, solve, components({pair[0], pair[1]}))
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    register_all();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
