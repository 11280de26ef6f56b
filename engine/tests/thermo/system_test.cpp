#include "engine/binary/curve_from_thermo.hpp"
#include "engine/thermo/system.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <variant>
#include <vector>

using namespace kolvar::engine;
namespace thermo = kolvar::thermo;

namespace {

ThermoSystem system_of(std::vector<std::string> names)
{
    auto system = ThermoSystem::peng_robinson(names);
    EXPECT_TRUE(system.has_value());
    return *system;
}

TEST(ThermoSystem, PengRobinsonSpecIsPhiPhiWithTheSameEosInBothPhases)
{
    const ThermoSystem system = system_of({"methanol", " Water\t"});
    EXPECT_EQ(system.component_names(), (std::vector<std::string>{"methanol", "water"}));
    EXPECT_EQ(system.repr(), "ThermoSystem(methanol, water)");
    const thermo::SystemSpec spec = system.spec();
    ASSERT_TRUE(std::holds_alternative<thermo::liquid::PhiPhi>(spec.liquid));
    EXPECT_EQ(std::get<thermo::liquid::PhiPhi>(spec.liquid).eos, thermo::Eos::PR1976);
    EXPECT_EQ(spec.vapor.kind, thermo::VaporModel::Kind::Eos);
    EXPECT_EQ(spec.vapor.eos, thermo::Eos::PR1976);
    EXPECT_EQ(spec.mixing_rule, thermo::MixingRule::Classical);
    EXPECT_TRUE(spec.kij.empty() && spec.activity.parameters.empty() && spec.activity.molar_volumes.empty());
    EXPECT_FALSE(spec.ge.has_value());
    EXPECT_EQ(spec.components.data(), system.components().data());  // borrowed, not copied
}

TEST(ThermoSystem, VanLaarSpecIsGammaPhiWithIdealGas)
{
    auto system = ThermoSystem::van_laar({"acetone", "chloroform"}, 0.5, -0.3);
    ASSERT_TRUE(system.has_value());
    const thermo::SystemSpec spec = system->spec();
    ASSERT_TRUE(std::holds_alternative<thermo::liquid::GammaPhi>(spec.liquid));
    EXPECT_EQ(std::get<thermo::liquid::GammaPhi>(spec.liquid).model, thermo::ActivityModel::VanLaar);
    EXPECT_EQ(spec.vapor.kind, thermo::VaporModel::Kind::IdealGas);
    ASSERT_EQ(spec.activity.parameters.size(), 2u);
    EXPECT_EQ(spec.activity.parameters[0], (std::vector<double>{0.0, 0.5}));
    EXPECT_EQ(spec.activity.parameters[1], (std::vector<double>{-0.3, 0.0}));
    EXPECT_TRUE(spec.kij.empty() && spec.saturation_models.empty());
}

TEST(ThermoSystem, LookupFailureIsAThermoError)
{
    auto system = ThermoSystem::peng_robinson(std::vector<std::string>{"water", "h2o", "nothing"});
    ASSERT_FALSE(system.has_value());
    EXPECT_EQ(system.error().kind, ErrorKind::ThermoFailed);
    EXPECT_EQ(system.error().message.rfind("component \"h2o\", not in the korrin database (available: ", 0), 0u);
}

TEST(ThermoSystem, CompositionLengthIsCheckedFirst)
{
    const ThermoSystem system = system_of({"benzene", "toluene"});
    const std::array<double, 3> x{0.2, 0.3, 0.5};
    for (auto result : {system.bubble_temperature(101.325, x), system.bubble_pressure(350.0, x)}) {
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().kind, ErrorKind::InvalidInput);
        EXPECT_EQ(result.error().message, "composition has 3 entries but the system has 2 components");
    }
}

TEST(CurveFromThermo, SamplesAreTheBubblePointsOfTheGrid)
{
    const ThermoSystem system = system_of({"benzene", "toluene"});
    auto curve = curve_from_thermo(system, 101.325, 5);
    ASSERT_TRUE(curve.has_value());
    ASSERT_EQ(curve->size(), 5u);
    EXPECT_EQ(curve->pressure(), 101.325);
    EXPECT_EQ(curve->y()[0], 0.0);
    EXPECT_EQ(curve->y()[4], 1.0);
    for (std::size_t i = 0; i < 5; ++i) {
        const double x = curve->x()[i];
        const std::array<double, 2> liquid{x, 1.0 - x};
        auto point = system.bubble_temperature(101.325, liquid);
        ASSERT_TRUE(point.has_value());
        EXPECT_EQ(curve->t()[i], point->value);
        if (i > 0 && i < 4) {
            EXPECT_EQ(curve->y()[i], point->y[0]);
        }
    }
}

TEST(CurveFromThermo, ChecksInOrder)
{
    const ThermoSystem three = system_of({"benzene", "toluene", "water"});
    auto not_binary = curve_from_thermo(three, 101.325, 4);
    ASSERT_FALSE(not_binary.has_value());
    EXPECT_EQ(not_binary.error().message, "equilibrium curve needs a binary system, got 3 components");

    const ThermoSystem binary = system_of({"benzene", "toluene"});
    auto few = curve_from_thermo(binary, 101.325, 4);
    ASSERT_FALSE(few.has_value());
    EXPECT_EQ(few.error().message, "n_points must be at least 5, got 4");

    auto inverted = curve_from_thermo(system_of({"toluene", "benzene"}), 101.325, 5);
    ASSERT_FALSE(inverted.has_value());
    EXPECT_EQ(inverted.error().kind, ErrorKind::ThermoFailed);
    EXPECT_EQ(inverted.error().message.rfind("component order looks inverted: y*(0.250) = 0.", 0), 0u);
}

}  // namespace
