#include "thermo/saturation.hpp"

#include "db/component_table.hpp"
#include "kolvar/format.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kolvar::thermo {
namespace {

const Component& database(const char* name) { return db::component_table().by_name.at(name); }

double psat(SaturationModel model, const Component& component, double temperature)
{
    const auto p = saturation_pressure(model, component, temperature);
    EXPECT_TRUE(p.has_value()) << (p ? "" : p.error().text());
    return p.value_or(std::nan(""));
}

TEST(Saturation, WaterByAntoineAtItsBoilingPoint)
{
    // The stored fit does not pass exactly through the normal boiling point.
    EXPECT_EQ(format::fixed(psat(SaturationModel::Antoine, database("water"), 373.124), 2), "99.66");
}

TEST(Saturation, RiedelForWaterAtItsBoilingPoint)
{
    EXPECT_EQ(format::fixed(psat(SaturationModel::Riedel, database("water"), 373.124), 2), "101.29");
}

TEST(Saturation, MullerAndRpmAreAnchoredAtTheNormalBoilingPoint)
{
    for (const auto& [name, component] : db::component_table().by_name) {
        for (SaturationModel model : {SaturationModel::Muller, SaturationModel::RPM}) {
            EXPECT_NEAR(psat(model, component, component.tb), 101.325, 101.325 * 1e-9) << name << " " << thermo::name(model);
        }
    }
}

TEST(Saturation, CorrespondingStatesModelsReachTheCriticalPoint)
{
    for (const auto& [name, component] : db::component_table().by_name) {
        for (SaturationModel model : {SaturationModel::Riedel, SaturationModel::Muller, SaturationModel::RPM}) {
            EXPECT_NEAR(psat(model, component, component.tc), component.pc, component.pc * 1e-12)
                << name << " " << thermo::name(model);
        }
    }
}

TEST(Saturation, PolynomialWithOnlyTheInverseTermIsAntoineWithoutOffset)
{
    // Carbon dioxide's reduced Antoine offset a3 is 0, so ln Psat is
    // (a1 + ln pc) - a2/T, which the polynomial form writes with c0 and c1.
    const Component& co2 = database("carbon dioxide");
    ASSERT_EQ(co2.psat_coeffs[2], 0.0);
    Component polynomial = co2;
    polynomial.psat_coeffs = {co2.psat_coeffs[0] + std::log(co2.pc), -co2.psat_coeffs[1], 0.0, 0.0, 1.0};
    for (double t : {200.0, 250.0, 300.0}) {
        EXPECT_NEAR(psat(SaturationModel::Polynomial, polynomial, t), psat(SaturationModel::Antoine, co2, t),
                    1e-12 * psat(SaturationModel::Antoine, co2, t));
    }
}

TEST(Saturation, AntoineNeedsAPositiveOffsetTemperature)
{
    const Component& water = database("water");  // a3 = -64.848
    const auto at_64 = saturation_pressure(SaturationModel::Antoine, water, 64.0);
    ASSERT_FALSE(at_64.has_value());
    EXPECT_EQ(at_64.error().kind, SaturationError::Kind::OutOfRange);
    EXPECT_EQ(at_64.error().text(), "temperature 64 K out of range for saturation correlation");
    EXPECT_TRUE(saturation_pressure(SaturationModel::Antoine, water, 65.0).has_value());
}

TEST(Saturation, NonPositiveTemperatureIsOutOfRange)
{
    const Component& water = database("water");
    Component polynomial = water;
    polynomial.psat_coeffs = {10.0, -3000.0, 0.0, 0.0, 1.0};
    for (double t : {0.0, -1.5}) {
        for (SaturationModel model : {SaturationModel::Riedel, SaturationModel::Muller, SaturationModel::RPM,
                                      SaturationModel::Polynomial}) {
            const auto p = saturation_pressure(model, polynomial, t);
            ASSERT_FALSE(p.has_value()) << thermo::name(model);
            EXPECT_EQ(p.error().text(), format::text("temperature ", t, " K out of range for saturation correlation"));
        }
    }
    EXPECT_EQ(saturation_pressure(SaturationModel::Riedel, polynomial, -1.5).error().text(),
              "temperature -1.5 K out of range for saturation correlation");
}

TEST(Saturation, CorrespondingStatesModelsNeedPositiveConstants)
{
    for (double Component::*constant : {&Component::tb, &Component::tc, &Component::pc}) {
        Component damaged = database("benzene");
        damaged.*constant = 0.0;
        for (SaturationModel model : {SaturationModel::Riedel, SaturationModel::Muller, SaturationModel::RPM}) {
            const auto p = saturation_pressure(model, damaged, 300.0);
            ASSERT_FALSE(p.has_value());
            EXPECT_EQ(p.error().text(), "temperature 300 K out of range for saturation correlation");
        }
    }
}

TEST(Saturation, CoefficientCountIsCheckedBeforeTheTemperature)
{
    Component two = database("water");
    two.name = "say \"two\"";
    two.psat_coeffs = {1.0, 2.0};
    const auto antoine = saturation_pressure(SaturationModel::Antoine, two, -5.0);
    ASSERT_FALSE(antoine.has_value());
    EXPECT_EQ(antoine.error().kind, SaturationError::Kind::WrongCoefficientCount);
    EXPECT_EQ(antoine.error().text(), "component \"say \\\"two\\\"\": expected 3 Antoine coefficients, got 2");

    Component three = database("water");
    const auto polynomial = saturation_pressure(SaturationModel::Polynomial, three, -5.0);
    ASSERT_FALSE(polynomial.has_value());
    EXPECT_EQ(polynomial.error().text(), "component \"water\": expected 5 Antoine coefficients, got 3");
}

TEST(Saturation, MaxwellIsNotComputedHere)
{
    const auto p = saturation_pressure(SaturationModel::Maxwell, database("water"), 300.0);
    ASSERT_FALSE(p.has_value());
    EXPECT_EQ(p.error().kind, SaturationError::Kind::NotAvailable);
    EXPECT_EQ(p.error().text(), "saturation model Maxwell not available through this entry point");

    const SaturationError failed{.kind = SaturationError::Kind::MaxwellFailed, .message = "no loop"};
    EXPECT_EQ(failed.text(), "Maxwell construction failed: no loop");
}

TEST(Saturation, ModelNames)
{
    const char* expected[] = {"Antoine", "Riedel", "Muller", "RPM", "Polynomial", "Maxwell"};
    for (unsigned i = 0; i < 6; ++i) EXPECT_STREQ(name(static_cast<SaturationModel>(i)), expected[i]);
}

}  // namespace
}  // namespace kolvar::thermo
