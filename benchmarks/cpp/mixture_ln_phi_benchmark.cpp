// ln phi of methanol/water with PR1976 and Classical mixing, vapour and
// liquid, in the simple form (parameters and result list per call), the
// two-stage form (parameters once, result into a caller's array; target
// <= 100 ns) and the bubble-point fast path's kernel, with and without its
// slopes along T and ln P, and the any-model entry point with its exact
// gradient in T, P and the amounts (the result's lists reused between
// calls). The "allocs/call" counter counts heap allocations per evaluation.
#include "kolvar/testing/allocation_counter.hpp"
#include "thermo/component.hpp"
#include "thermo/fugacity_derivatives.hpp"
#include "thermo/mixture.hpp"

#include "flash/classical_fugacity.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>


namespace {

using namespace kolvar::thermo;

struct Case {
    double temperature;
    double pressure;
    std::array<double, 2> composition;
    Phase phase;
};

constexpr Case vapour{380.0, 101.325, {0.6, 0.4}, Phase::Vapor};
constexpr Case liquid{345.0, 101.325, {0.3, 0.7}, Phase::Liquid};

const std::vector<Component>& methanol_water()
{
    static const std::vector<Component> components = [] {
        std::vector<Component> out;
        for (const char* name : {"methanol", "water"}) {
            auto c = find_component(name);
            if (!c) {
                std::fprintf(stderr, "%s\n", c.error().text().c_str());
                std::exit(1);
            }
            out.push_back(*c);
        }
        return out;
    }();
    return components;
}

void report_allocations(benchmark::State& state, long before)
{
    state.counters["allocs/call"] =
        benchmark::Counter(static_cast<double>(kolvar::testing::allocation_count() - before) / static_cast<double>(state.iterations()));
}

void simple_form(benchmark::State& state, const Case& c)
{
    const MixtureSpec spec{.components = methanol_water()};
    const long before = kolvar::testing::allocation_count();
    for (auto _ : state) {
        auto ln_phi = mixture_ln_phi(spec, Eos::PR1976, c.temperature, c.pressure, c.composition, c.phase);
        benchmark::DoNotOptimize(ln_phi);
    }
    report_allocations(state, before);
}

void two_stage_form(benchmark::State& state, const Case& c)
{
    const MixtureSpec spec{.components = methanol_water()};
    const ComponentParameters parameters = component_parameters(spec.components, Eos::PR1976, c.temperature,
                                                                c.pressure);
    std::array<double, 2> out{};
    const long before = kolvar::testing::allocation_count();
    for (auto _ : state) {
        auto ok = mixture_ln_phi(spec, parameters, c.composition, c.phase, out);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(out);
    }
    report_allocations(state, before);
}

void fast_path_kernel(benchmark::State& state, const Case& c, bool with_slopes)
{
    const SystemSpec system{.components = methanol_water(), .vapor = VaporModel::equation_of_state(Eos::PR1976)};
    const auto mixture = flash::classical_mixture(system);
    flash::CubicState cubic;
    cubic.prepare(*mixture, c.temperature, c.pressure);
    std::array<double, 2> out{}, d_t{}, d_p{};
    const flash::CubicState::Slopes slopes{d_t, d_p};
    const long before = kolvar::testing::allocation_count();
    for (auto _ : state) {
        auto z = cubic.ln_phi(*mixture, c.composition, c.phase, out, with_slopes ? &slopes : nullptr);
        benchmark::DoNotOptimize(z);
        benchmark::DoNotOptimize(out);
    }
    report_allocations(state, before);
}

void gradient(benchmark::State& state, const Case& c)
{
    const SystemSpec system{.components = methanol_water(), .vapor = VaporModel::equation_of_state(Eos::PR1976)};
    FugacityDerivatives out;
    const long before = kolvar::testing::allocation_count();
    for (auto _ : state) {
        auto ok = fugacity_derivatives(system, c.temperature, c.pressure, c.composition, c.phase, out);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(out);
    }
    report_allocations(state, before);
}

BENCHMARK_CAPTURE(simple_form, vapour, vapour);
BENCHMARK_CAPTURE(simple_form, liquid, liquid);
BENCHMARK_CAPTURE(two_stage_form, vapour, vapour);
BENCHMARK_CAPTURE(two_stage_form, liquid, liquid);
BENCHMARK_CAPTURE(fast_path_kernel, vapour, vapour, false);
BENCHMARK_CAPTURE(fast_path_kernel, liquid, liquid, false);
BENCHMARK_CAPTURE(fast_path_kernel, vapour_with_slopes, vapour, true);
BENCHMARK_CAPTURE(fast_path_kernel, liquid_with_slopes, liquid, true);
BENCHMARK_CAPTURE(gradient, vapour, vapour);
BENCHMARK_CAPTURE(gradient, liquid, liquid);

}  // namespace

BENCHMARK_MAIN();
