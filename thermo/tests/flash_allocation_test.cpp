// Heap allocations of the K-value evaluation and the bubble-point solvers:
// none inside the iterations for up to 8 components, so a solve allocates
// only its two result lists.
#include "thermo/flash.hpp"

#include "flash_test_support.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

// The replacement operators below pair malloc with free; GCC cannot see
// that they replace each other and warns at every inlined delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<long> allocations{0};

}  // namespace

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

template <class F>
long allocations_of(F&& f)
{
    const long before = allocations.load();
    f();
    return allocations.load() - before;
}

TEST(FlashAllocations, OnlyTheResultListsAreAllocated)
{
    const auto eight = mixture({"methane", "ethane", "propane", "n-butane", "n-pentane", "n-hexane", "n-heptane",
                                "n-octane"});
    const std::vector<double> x(8, 0.125);
    const std::vector<std::vector<double>> zero(8, std::vector<double>(8, 0.0));
    const SystemSpec specs[] = {
        peng_robinson(eight),
        gamma_phi(eight, ActivityModel::VanLaar, zero, VaporModel::virial()),
        described(eight, PhaseApproach::GraysonStreed, VaporModel::equation_of_state(Eos::RKS1972)),
    };
    for (const SystemSpec& spec : specs) {
        std::vector<double> k(8, 1.0);
        for (std::size_t i = 0; i < 8; ++i) k[i] = wilson_k(eight[i], 300.0, 2000.0);
        EXPECT_EQ(allocations_of([&] { (void)evaluate_k(spec, 300.0, 2000.0, x, Direction::Bubble, k, 40); }), 0);
        EXPECT_EQ(allocations_of([&] { (void)evaluate_k(spec, 300.0, 2000.0, x, Direction::Dew, k, 40); }), 0);
        const auto p = bubble_pressure(spec, 300.0, x, Direction::Bubble, 1e-9, 200);
        ASSERT_TRUE(p.has_value()) << p.error().text();
        EXPECT_EQ(allocations_of([&] { (void)bubble_pressure(spec, 300.0, x, Direction::Bubble, 1e-9, 200); }), 2);
    }

    // The temperature scan meets failing grid points; they allocate nothing either.
    const auto pair = mixture({"methanol", "water"});
    const SystemSpec pr = peng_robinson(pair);
    const std::vector<double> half{0.5, 0.5};
    ASSERT_TRUE(bubble_temperature(pr, 101.325, half, 1e-9, 200).has_value());
    EXPECT_EQ(allocations_of([&] { (void)bubble_temperature(pr, 101.325, half, 1e-9, 200); }), 2);
}

}  // namespace
}  // namespace kolvar::thermo
