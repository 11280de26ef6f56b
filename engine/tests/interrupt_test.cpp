// Long loops stop at the first poll that says so, between items, and never
// change their results by being polled.
#include "engine/binary/curve_from_thermo.hpp"
#include "engine/binary/total_reflux.hpp"
#include "engine/interrupt.hpp"
#include "engine/thermo/system.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace kolvar::engine;

namespace {

// Polled before every item; says stop at poll number `stop_at` (0: never).
struct Poller {
    std::uint64_t stop_at = 0;
    std::uint64_t polls = 0;

    static bool poll(void* context)
    {
        auto* self = static_cast<Poller*>(context);
        return ++self->polls == self->stop_at;
    }
    Interrupt interrupt() { return Interrupt(&Poller::poll, this, std::chrono::nanoseconds(0)); }
};

// A loop of `items` items, its results as the bits of its numbers.
struct Loop {
    const char* name;
    std::uint64_t items;
    std::function<Result<std::vector<double>>(Interrupt)> run;
};

std::vector<double> numbers(const EquilibriumCurve& curve)
{
    std::vector<double> out(curve.y().begin(), curve.y().end());
    out.insert(out.end(), curve.t().begin(), curve.t().end());
    return out;
}

const std::vector<double> refluxes{0.5, 1.5, 2.0, 3.0, 8.0};

const Loop loops[] = {
    {"curve_from_thermo", 11,
     [](Interrupt interrupt) -> Result<std::vector<double>> {
         const std::vector<std::string> names{"methanol", "water"};
         auto curve = curve_from_thermo(ThermoSystem::peng_robinson(names).value(), 101.325, 11, interrupt);
         if (!curve) return std::unexpected(curve.error());
         return numbers(*curve);
     }},
    {"n_vs_r", refluxes.size(),
     [](Interrupt interrupt) -> Result<std::vector<double>> {
         const auto curve = EquilibriumCurve::constant_alpha(2.5).value();
         auto counts = n_vs_r(curve, refluxes, {0.95, 0.05, 0.5, 1.0, 0.0, 0.7, CondenserKind::Total}, interrupt);
         if (!counts) return std::unexpected(counts.error());
         std::vector<double> out;
         for (const StageCount& c : *counts) out.push_back(c.n_stages);
         return out;
     }},
};

class Interrupted : public ::testing::TestWithParam<Loop> {};

TEST_P(Interrupted, StopsAtTheFirstPollThatSaysSoAndOtherwiseChangesNothing)
{
    const Loop& loop = GetParam();
    const auto unpolled = loop.run(Interrupt{});
    ASSERT_TRUE(unpolled.has_value());

    Poller never;
    const auto polled = loop.run(never.interrupt());
    ASSERT_TRUE(polled.has_value());
    EXPECT_EQ(never.polls, loop.items);
    ASSERT_EQ(polled->size(), unpolled->size());
    for (std::size_t i = 0; i < polled->size(); ++i) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>((*polled)[i]), std::bit_cast<std::uint64_t>((*unpolled)[i]));
    }

    for (std::uint64_t stop_at : {std::uint64_t{1}, loop.items}) {
        Poller stopping{stop_at};
        const auto stopped = loop.run(stopping.interrupt());
        ASSERT_FALSE(stopped.has_value());
        EXPECT_EQ(stopped.error().kind, ErrorKind::Interrupted);
        EXPECT_EQ(stopping.polls, stop_at);
    }
}

INSTANTIATE_TEST_SUITE_P(Loops, Interrupted, ::testing::ValuesIn(loops),
                         [](const auto& instance) { return std::string(instance.param.name); });

// The questions whose solvers run long ask the interrupt between their steps
// (each K-value evaluation, each stability trial): stopped at the first
// poll they end Interrupted, never stopped they answer as without it.
TEST(InterruptedQuestions, StopAtTheFirstPollAndOtherwiseAnswerTheSame)
{
    const std::vector<ComponentSource> names{std::string("methanol"), std::string("water")};
    CubicOptions options;
    options.eos = kolvar::thermo::Eos::RKS1972;
    options.mixing_rule = kolvar::thermo::MixingRule::MHV2;
    options.ge_model = kolvar::thermo::ActivityModel::Wilson;
    options.ge_parameters = Matrix{{0.0, 100.0}, {400.0, 0.0}};
    const auto system = ThermoSystem::cubic(names, options).value();
    const std::vector<double> x{0.3, 0.7};
    using Question = std::function<Result<std::vector<double>>(Interrupt)>;
    const auto k_of = [](Result<BubblePoint> point) -> Result<std::vector<double>> {
        if (!point) return std::unexpected(point.error());
        return point->k;
    };
    const std::vector<Question> questions{
        [&](Interrupt i) { return k_of(system.bubble_temperature(101.325, x, i)); },
        [&](Interrupt i) { return k_of(system.bubble_pressure(340.0, x, i)); },
        [&](Interrupt i) { return k_of(system.dew_temperature(101.325, x, i)); },
        [&](Interrupt i) { return k_of(system.dew_pressure(340.0, x, i)); },
        [&](Interrupt i) -> Result<std::vector<double>> {
            auto stability = system.liquid_stability(340.0, 101.325, x, i);
            if (!stability) return std::unexpected(stability.error());
            return stability->trial;
        },
    };
    for (const auto& question : questions) {
        const auto unpolled = question(Interrupt{});
        ASSERT_TRUE(unpolled.has_value());
        Poller never;
        const auto polled = question(never.interrupt());
        ASSERT_TRUE(polled.has_value());
        EXPECT_GT(never.polls, 0u);
        EXPECT_EQ(*polled, *unpolled);

        Poller stopping{1};
        const auto stopped = question(stopping.interrupt());
        ASSERT_FALSE(stopped.has_value());
        EXPECT_EQ(stopped.error().kind, ErrorKind::Interrupted);
        EXPECT_EQ(stopping.polls, 1u);
    }
}

}  // namespace
