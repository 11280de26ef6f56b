// Dew temperature and pressure, the isothermal flash and liquid stability next
// to the bubble-point solvers, for equimolar methanol/water and
// benzene/toluene with PR1976 in both phases (Classical mixing, no kij):
// bubble and dew temperature at 101.325 kPa, bubble and dew pressure at the
// mixture's bubble temperature, the flash halfway between its bubble and dew
// temperatures, and the liquid's stability at its bubble point; the stable
// phase set halfway (two phases) and 20 K below the bubble point (a stable
// liquid).
//
// Counter "allocs/call": heap allocations per call (the result lists only).
#include "kolvar/testing/allocation_counter.hpp"
#include "thermo/component.hpp"
#include "thermo/dew_point.hpp"
#include "thermo/flash.hpp"
#include "thermo/isothermal_flash.hpp"
#include "thermo/multiphase_flash.hpp"
#include "thermo/stability.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace kolvar::thermo;

constexpr double pressure = 101.325;  // kPa
const std::array<double, 2> equimolar{0.5, 0.5};

// A Peng-Robinson pair with the temperatures the calls are made at.
struct Pair {
    std::vector<Component> components;
    SystemSpec spec;
    double t_bubble;
    double t_dew;

    explicit Pair(std::vector<std::string> names)
    {
        auto found = find_components(names);
        if (!found) {
            std::fprintf(stderr, "%s\n", found.error().text().c_str());
            std::exit(1);
        }
        components = std::move(*found);
        spec = {.liquid = liquid::PhiPhi{Eos::PR1976},
                .components = components,
                .vapor = VaporModel::equation_of_state(Eos::PR1976)};
        t_bubble = bubble_temperature(spec, pressure, equimolar, 1e-9, 200).value().value;
        t_dew = dew_temperature(spec, pressure, equimolar, 1e-9, 200).value().value;
    }
};

template <class Call>
void run(benchmark::State& state, Call&& call)
{
    const long before = kolvar::testing::allocation_count();
    for (auto _ : state) {
        auto result = call();
        if (!result) state.SkipWithError(result.error().text().c_str());
        benchmark::DoNotOptimize(result);
    }
    state.counters["allocs/call"] =
        static_cast<double>(kolvar::testing::allocation_count() - before) / static_cast<double>(state.iterations());
}

void bubble_t(benchmark::State& state, const char* light, const char* heavy)
{
    const Pair pair({light, heavy});
    run(state, [&] { return bubble_temperature(pair.spec, pressure, equimolar, 1e-9, 200); });
}

void dew_t(benchmark::State& state, const char* light, const char* heavy)
{
    const Pair pair({light, heavy});
    run(state, [&] { return dew_temperature(pair.spec, pressure, equimolar, 1e-9, 200); });
}

void bubble_p(benchmark::State& state, const char* light, const char* heavy)
{
    const Pair pair({light, heavy});
    run(state, [&] { return bubble_pressure(pair.spec, pair.t_bubble, equimolar, Direction::Bubble, 1e-9, 200); });
}

void dew_p(benchmark::State& state, const char* light, const char* heavy)
{
    const Pair pair({light, heavy});
    run(state, [&] { return dew_pressure(pair.spec, pair.t_bubble, equimolar, 1e-9, 200); });
}

void flash(benchmark::State& state, const char* light, const char* heavy)
{
    const Pair pair({light, heavy});
    const double t = 0.5 * (pair.t_bubble + pair.t_dew);
    run(state, [&] { return isothermal_flash(pair.spec, t, pressure, equimolar); });
}

void stability(benchmark::State& state, const char* light, const char* heavy)
{
    const Pair pair({light, heavy});
    run(state, [&] { return liquid_stability(pair.spec, pair.t_bubble, pressure, equimolar); });
}

void stable_split(benchmark::State& state, const char* light, const char* heavy)
{
    const Pair pair({light, heavy});
    const double t = 0.5 * (pair.t_bubble + pair.t_dew);
    run(state, [&] { return stable_flash(pair.spec, t, pressure, equimolar); });
}

void stable_liquid(benchmark::State& state, const char* light, const char* heavy)
{
    const Pair pair({light, heavy});
    run(state, [&] { return stable_flash(pair.spec, pair.t_bubble - 20.0, pressure, equimolar); });
}

#define KOLVAR_PAIRS(fn)                                                                       \
    BENCHMARK_CAPTURE(fn, methanol_water, "methanol", "water")->Unit(benchmark::kMicrosecond); \
    BENCHMARK_CAPTURE(fn, benzene_toluene, "benzene", "toluene")->Unit(benchmark::kMicrosecond)

KOLVAR_PAIRS(bubble_t);
KOLVAR_PAIRS(dew_t);
KOLVAR_PAIRS(bubble_p);
KOLVAR_PAIRS(dew_p);
KOLVAR_PAIRS(flash);
KOLVAR_PAIRS(stability);
KOLVAR_PAIRS(stable_split);
KOLVAR_PAIRS(stable_liquid);

}  // namespace

BENCHMARK_MAIN();
