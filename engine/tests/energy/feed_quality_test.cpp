// q from the feed temperature: exactly 1 at the bubble point and 0 at the dew
// point, continuous across both (the liquid, flash and vapour branches meet
// there), above 1 for a subcooled and below 0 for a superheated feed.
#include "engine/energy/saturated_enthalpy.hpp"
#include "engine/thermo/system.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace kolvar::engine;
namespace thermo = kolvar::thermo;

namespace {

struct Case {
    std::string label;
    Result<ThermoSystem> (*make)();
    std::vector<double> z;
    double pressure;
};

class FeedQuality : public ::testing::TestWithParam<Case> {};

TEST_P(FeedQuality, IsOneAtTheBubblePointAndZeroAtTheDewPoint)
{
    const Case& c = GetParam();
    const auto system = c.make();
    ASSERT_TRUE(system.has_value()) << system.error().display();
    const auto bubble = bubble_enthalpy(*system, c.pressure, c.z);
    const auto dew = dew_enthalpy(*system, c.pressure, c.z);
    ASSERT_TRUE(bubble && dew);
    const auto q = [&](double t) {
        const auto value = system->feed_quality(t, c.pressure, c.z);
        EXPECT_TRUE(value.has_value()) << value.error().display();
        return value.value_or(std::nan(""));
    };
    EXPECT_EQ(q(bubble->temperature), 1.0);
    EXPECT_EQ(q(dew->temperature), 0.0);
    const double step = 1e-4;  // K
    for (double side : {-1.0, 1.0}) {
        EXPECT_NEAR(q(bubble->temperature + side * step), 1.0, 1e-3);
        EXPECT_NEAR(q(dew->temperature + side * step), 0.0, 1e-3);
    }
    EXPECT_GT(q(bubble->temperature - 20.0), 1.0);
    EXPECT_LT(q(dew->temperature + 20.0), 0.0);
    const double middle = q(0.5 * (bubble->temperature + dew->temperature));
    EXPECT_TRUE(middle > 0.0 && middle < 1.0) << middle;
}

std::vector<ComponentSource> sources(std::vector<std::string> names) { return {names.begin(), names.end()}; }

INSTANTIATE_TEST_SUITE_P(
    Systems, FeedQuality,
    ::testing::Values(
        Case{"PengRobinson", [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"benzene", "toluene"}); },
             {0.44, 0.56}, 101.325},
        Case{"PengRobinsonTernary",
             [] { return ThermoSystem::peng_robinson(std::vector<std::string>{"propane", "n-butane", "n-pentane"}); },
             {0.2, 0.5, 0.3}, 800.0},
        Case{"WilsonVirial",
             [] {
                 return ThermoSystem::activity(sources({"methanol", "water"}),
                                               {.model = thermo::ActivityModel::Wilson,
                                                .parameters = Matrix{{0.0, 449.3}, {1964.6, 0.0}},
                                                .vapour = thermo::VaporModel::virial(),
                                                .saturation = std::nullopt,
                                                .poynting = true,
                                                .solubility = std::nullopt});
             },
             {0.3, 0.7}, 101.325},
        Case{"GraysonStreed",
             [] { return ThermoSystem::grayson_streed(sources({"n-hexane", "n-octane"}), thermo::VaporModel::ideal_gas()); },
             {0.5, 0.5}, 300.0}),
    [](const auto& instance) { return instance.param.label; });

}  // namespace
