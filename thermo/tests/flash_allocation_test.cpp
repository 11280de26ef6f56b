// Heap allocations of the K-value evaluation and the bubble-point solvers:
// none inside the iterations for up to 8 components, so a solve allocates
// only its two result lists.
#include "kolvar/testing/allocation_counter.hpp"
#include "thermo/dew_point.hpp"
#include "thermo/flash.hpp"
#include "thermo/fugacity_derivatives.hpp"
#include "thermo/isothermal_flash.hpp"
#include "thermo/phase_properties.hpp"
#include "thermo/stability.hpp"

#include "flash_test_support.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>


namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

template <class F>
long allocations_of(F&& f)
{
    const long before = kolvar::testing::allocation_count();
    f();
    return kolvar::testing::allocation_count() - before;
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
        described(eight, liquid::GraysonStreed{}, VaporModel::equation_of_state(Eos::RKS1972)),
    };
    for (const SystemSpec& spec : specs) {
        std::vector<double> k(8, 1.0);
        for (std::size_t i = 0; i < 8; ++i) k[i] = wilson_k(eight[i], 300.0, 2000.0);
        EXPECT_EQ(allocations_of([&] { (void)evaluate_k(spec, 300.0, 2000.0, x, Direction::Bubble, k, 40); }), 0);
        EXPECT_EQ(allocations_of([&] { (void)evaluate_k(spec, 300.0, 2000.0, x, Direction::Dew, k, 40); }), 0);
        FugacityDerivatives d;  // its lists, once sized, are reused
        for (const Phase phase : {Phase::Liquid, Phase::Vapor}) {
            ASSERT_TRUE(fugacity_derivatives(spec, 300.0, 2000.0, x, phase, d).has_value());
            EXPECT_EQ(allocations_of([&] { (void)fugacity_derivatives(spec, 300.0, 2000.0, x, phase, d); }), 0);
        }
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

// Dew points, the flash, K-values and liquid stability allocate their result
// lists and nothing else.
TEST(FlashAllocations, DewPointsFlashAndStabilityAllocateOnlyTheirResults)
{
    const auto eight = mixture({"methane", "ethane", "propane", "n-butane", "n-pentane", "n-hexane", "n-heptane",
                                "n-octane"});
    const std::vector<double> z(8, 0.125);
    const std::vector<std::vector<double>> margules{{0.0, 3.0}, {3.0, 0.0}};
    const auto pair = mixture({"n-hexane", "methanol"});
    const SystemSpec splitting = gamma_phi(pair, ActivityModel::Margules, margules, VaporModel::ideal_gas());
    const std::vector<double> half{0.5, 0.5};
    for (const SystemSpec& spec : {peng_robinson(eight), described(eight, liquid::GraysonStreed{}, VaporModel::virial())}) {
        const double t_dew = dew_temperature(spec, 2000.0, z, 1e-9, 200).value().value;
        const double t_bubble = bubble_temperature(spec, 2000.0, z, 1e-9, 200).value().value;
        const double t = 0.5 * (t_dew + t_bubble);
        EXPECT_EQ(allocations_of([&] { (void)dew_temperature(spec, 2000.0, z, 1e-9, 200); }), 2);
        EXPECT_EQ(allocations_of([&] { (void)dew_pressure(spec, t_dew, z, 1e-9, 200); }), 2);
        ASSERT_TRUE(isothermal_flash(spec, t, 2000.0, z).has_value());
        EXPECT_EQ(allocations_of([&] { (void)isothermal_flash(spec, t, 2000.0, z); }), 2);
        EXPECT_EQ(allocations_of([&] { (void)equilibrium_ratios(spec, t, 2000.0, z); }), 2);
        EXPECT_EQ(allocations_of([&] { (void)liquid_stability(spec, t, 2000.0, z); }), 1);
    }
    ASSERT_LT(liquid_stability(splitting, 320.0, 101.325, half).value().tpd, 0.0);
    EXPECT_EQ(allocations_of([&] { (void)liquid_stability(splitting, 320.0, 101.325, half); }), 1);
}

}  // namespace
}  // namespace kolvar::thermo
