#include "engine/multicomponent/restore.hpp"
#include "engine/multicomponent/shortcut.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace kolvar::engine;

namespace {

ThermoSystem alkanes()
{
    const std::vector<std::string> names{"propane", "n-butane", "n-pentane", "n-hexane"};
    return ThermoSystem::peng_robinson(names).value();
}

ShortcutSpec four_alkanes()
{
    return {.pressure = 800.0,
            .feed_rate = 100.0,
            .z = {0.2, 0.3, 0.3, 0.2},
            .light_key = std::string(" N-Butane"),
            .heavy_key = std::int64_t{2},
            .light_recovery = 0.98,
            .heavy_recovery = 0.98,
            .reflux = std::nullopt,
            .reflux_factor = 1.3,
            .q = 1.0};
}

// Material balances close component by component, the keys split as asked,
// every non-key as Fenske's relation says, and the design does not depend on
// how its reflux was stated; the result rebuilds as it is and a tampered
// stage count is refused.
TEST(Shortcut, FourAlkanesAreSelfConsistent)
{
    const ThermoSystem system = alkanes();
    ShortcutSpec spec = four_alkanes();
    const ShortcutResult design = shortcut(system, spec).value();

    const double d = design.distillate_rate, b = design.bottoms_rate;
    EXPECT_NEAR(d + b, spec.feed_rate, 1e-12 * spec.feed_rate);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(d * design.distillate[i] + b * design.bottoms[i], spec.feed_rate * spec.z[i], 1e-12);
        const double split = std::log(d * design.distillate[i] / (b * design.bottoms[i]));
        const double heavy = std::log(d * design.distillate[2] / (b * design.bottoms[2]));
        EXPECT_NEAR(split, heavy + design.n_min * std::log(design.alpha[i]), 1e-9) << i;
    }
    EXPECT_NEAR(d * design.distillate[1], 0.98 * 30.0, 1e-12);
    EXPECT_NEAR(b * design.bottoms[2], 0.98 * 30.0, 1e-12);
    EXPECT_EQ(design.alpha[2], 1.0);
    EXPECT_LT(design.top_temperature, design.bottom_temperature);
    EXPECT_GT(design.n_stages, design.n_min);
    EXPECT_EQ(design.reflux, 1.3 * design.r_min);

    spec.reflux_factor.reset();
    spec.reflux = 1.3 * design.r_min;
    const ShortcutResult same = shortcut(system, spec).value();
    EXPECT_EQ(same.n_stages, design.n_stages);
    EXPECT_EQ(same.feed_stage, design.feed_stage);
    spec.reflux = 3.0 * design.r_min;
    const ShortcutResult more = shortcut(system, spec).value();
    EXPECT_EQ(more.n_min, design.n_min);
    EXPECT_EQ(more.r_min, design.r_min);
    EXPECT_LT(more.n_stages, design.n_stages);

    ASSERT_TRUE(restore_shortcut(design).has_value());
    ShortcutResult tampered = design;
    tampered.n_stages = std::nextafter(design.n_stages, 0.0);
    EXPECT_FALSE(restore_shortcut(tampered).has_value());
}

// Gilliland's correlation runs from infinitely many stages at R_min to
// Fenske's minimum at total reflux.
TEST(Shortcut, GillilandSpansMinimumRefluxToTotalReflux)
{
    EXPECT_EQ(gilliland_stages(7.5, 1.2, 1e300), 7.5);
    EXPECT_TRUE(std::isinf(gilliland_stages(7.5, 1.2, 1.2)));
    double previous = INFINITY;
    for (double r = 1.25; r < 100.0; r *= 1.5) {
        const double n = gilliland_stages(7.5, 1.2, r);
        EXPECT_LT(n, previous);
        EXPECT_GT(n, 7.5);
        previous = n;
    }
}

}  // namespace
