#include "thermo/activity.hpp"
#include "thermo/flash.hpp"

#include "flash_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

constexpr double atmosphere = 101.325;  // kPa

IncipientPoint bubble_t(const SystemSpec& spec, double p, const std::vector<double>& x)
{
    return value_or_fail(bubble_temperature(spec, p, x, 1e-9, 200));
}

IncipientPoint bubble_p(const SystemSpec& spec, double t, const std::vector<double>& x,
                        Direction direction = Direction::Bubble)
{
    return value_or_fail(bubble_pressure(spec, t, x, direction, 1e-9, 200));
}

double sum(const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0); }

// Solved separately to 1e-12 from the same constants.
struct Reference {
    double x_methanol;
    double temperature;
    double y_methanol;  // NaN where not given
};

class MethanolWater : public ::testing::TestWithParam<Reference> {};

TEST_P(MethanolWater, BubbleTemperatureAtOneAtmosphere)
{
    const Reference ref = GetParam();
    const auto components = mixture({"methanol", "water"});
    const SystemSpec spec = peng_robinson(components);
    const std::vector<double> x{ref.x_methanol, 1.0 - ref.x_methanol};
    const IncipientPoint point = bubble_t(spec, atmosphere, x);
    EXPECT_NEAR(point.value, ref.temperature, 1e-6);
    if (!std::isnan(ref.y_methanol)) {
        EXPECT_NEAR(point.y[0], ref.y_methanol, 1e-9);
    }
    ASSERT_EQ(point.y.size(), 2u);
    ASSERT_EQ(point.k.size(), 2u);
    EXPECT_NEAR(sum(point.y), 1.0, 1e-15);
    // y was formed from the K at the start of the last pass, K is that pass's
    // update: they agree to the pass tolerance.
    for (std::size_t i = 0; i < 2; ++i) {
        if (x[i] > 0.0) {
            EXPECT_NEAR(point.k[i] * x[i] / point.y[i], 1.0, 1e-8);
        }
    }

    // The bubble pressure at the solved temperature is the pressure asked for.
    EXPECT_NEAR(bubble_p(spec, point.value, x).value / atmosphere, 1.0, 1e-8);
}

INSTANTIATE_TEST_SUITE_P(Flash, MethanolWater,
                         ::testing::Values(Reference{0.5, 341.182387810, 0.7546884819},
                                           Reference{0.1, 340.875275478, nan_value},
                                           Reference{0.9, 338.246827019, nan_value},
                                           Reference{0.0, 374.533773299, nan_value},
                                           Reference{1.0, 337.742360125, nan_value}),
                         [](const ::testing::TestParamInfo<Reference>& instance) {
                             return "x" + std::to_string(static_cast<int>(instance.param.x_methanol * 100.0));
                         });

TEST(BubblePressure, EquimolarMethanolWaterAt350K)
{
    const auto components = mixture({"methanol", "water"});
    EXPECT_NEAR(bubble_p(peng_robinson(components), 350.0, {0.5, 0.5}).value, 141.81326869, 1e-7);
}

// Raoult's law: with gamma = 1 and an ideal gas, Pbub = sum x_i Psat_i and
// K_i = Psat_i/P, also for an x that does not sum to one.
TEST(BubblePressure, IdealSolutionIsRaoultsLaw)
{
    const auto components = mixture({"benzene", "toluene"});
    const std::vector<std::vector<double>> zero{{0.0, 0.0}, {0.0, 0.0}};
    const SystemSpec cases[] = {
        described(components, liquid::IdealSolution{}, VaporModel::ideal_gas()),
        gamma_phi(components, ActivityModel::VanLaar, zero, VaporModel::ideal_gas()),
    };
    const double t = 365.0;
    const double psat1 = psat(components[0], t);
    const double psat2 = psat(components[1], t);
    for (const SystemSpec& spec : cases) {
        for (const std::vector<double>& x : {std::vector<double>{0.4, 0.6}, std::vector<double>{0.3, 0.5}}) {
            const IncipientPoint point = bubble_p(spec, t, x);
            EXPECT_NEAR(point.value / (x[0] * psat1 + x[1] * psat2), 1.0, 1e-9);
            EXPECT_NEAR(point.k[0] * point.value / psat1, 1.0, 1e-9);
            EXPECT_NEAR(point.k[1] * point.value / psat2, 1.0, 1e-9);
        }
    }
}

// A pure component boils at its saturation pressure whatever the vapour:
// phi^sat of the pure vapour cancels phi^V at P = Psat.
TEST(BubblePressure, PureComponentAtItsSaturationPressure)
{
    const auto benzene = mixture({"benzene"});
    const double t = 350.0;
    for (VaporModel vapour :
         {VaporModel::ideal_gas(), VaporModel::virial(), VaporModel::equation_of_state(Eos::PR1976)}) {
        const SystemSpec spec = described(benzene, liquid::IdealSolution{}, vapour);
        EXPECT_NEAR(bubble_p(spec, t, {1.0}).value / psat(benzene[0], t), 1.0, 1e-8)
            << static_cast<unsigned>(vapour.kind);
    }
}

// Dew pressure of y, then the bubble pressure of the dew's liquid: the same
// pressure, and y back as the incipient vapour.
TEST(BubblePressure, DewPointIsTheBubblePointOfItsLiquid)
{
    const auto components = mixture({"methanol", "water"});
    const std::vector<std::vector<double>> van_laar{{0.0, 0.58}, {0.35, 0.0}};
    const SystemSpec cases[] = {
        peng_robinson(components),
        gamma_phi(components, ActivityModel::VanLaar, van_laar, VaporModel::ideal_gas()),
        gamma_phi(components, ActivityModel::VanLaar, van_laar, VaporModel::virial()),
    };
    const double t = 350.0;
    const std::vector<double> y{0.6, 0.4};
    for (const SystemSpec& spec : cases) {
        const IncipientPoint dew = bubble_p(spec, t, y, Direction::Dew);
        EXPECT_NEAR(sum(dew.y), 1.0, 1e-15);
        const IncipientPoint bubble = bubble_p(spec, t, dew.y);
        EXPECT_NEAR(bubble.value / dew.value, 1.0, 1e-7);
        EXPECT_NEAR(bubble.y[0], y[0], 1e-7);
        // The dew liquid is the richer in the heavy component.
        EXPECT_LT(dew.y[0], y[0]);
    }
}

// Every liquid and vapour description puts the benzene/toluene bubble point
// within a few kelvin of the phi-phi value.
TEST(BubbleTemperature, DescriptionsAgreeForANearlyIdealPair)
{
    const auto components = mixture({"benzene", "toluene"});
    const std::vector<double> x{0.5, 0.5};
    const double phi_phi = bubble_t(peng_robinson(components), atmosphere, x).value;
    EXPECT_GT(phi_phi, 353.2);  // benzene's normal boiling point
    EXPECT_LT(phi_phi, 383.8);  // toluene's
    for (LiquidModel model : {LiquidModel{liquid::IdealSolution{}}, LiquidModel{liquid::GraysonStreed{}}}) {
        for (VaporModel vapour :
             {VaporModel::ideal_gas(), VaporModel::virial(), VaporModel::equation_of_state(Eos::PR1976)}) {
            const IncipientPoint point = bubble_t(described(components, model, vapour), atmosphere, x);
            EXPECT_NEAR(point.value, phi_phi, 2.0)
                << model.index() << " " << static_cast<unsigned>(vapour.kind);
            EXPECT_NEAR(point.y[0], 0.71, 0.02);
        }
    }
}

// Where the cubic has one root, K = 1 with both phases on it satisfies the
// bubble-point equations; such a crossing is no bubble point.
TEST(BubbleTemperature, TrivialCrossingIsNotABubblePoint)
{
    const auto hexane = mixture({"methane", "n-hexane"});
    const auto point = bubble_temperature(peng_robinson(hexane), 3000.0, std::vector<double>{0.05, 0.95}, 1e-9, 200);
    if (point) {
        EXPECT_NEAR(point->value, 480.92, 0.01);
    }

    const auto decane = mixture({"methane", "n-decane"});
    const auto none = bubble_temperature(peng_robinson(decane), 3000.0, std::vector<double>{0.05, 0.95}, 1e-9, 200);
    EXPECT_FALSE(none.has_value()) << "T = " << none->value;

    // The public pressure solver refuses a trivial result by name (above the
    // mixture's critical region, where no genuine bubble point exists).
    const auto trivial = bubble_pressure(peng_robinson(decane), 620.0, std::vector<double>{0.05, 0.95},
                                         Direction::Bubble, 1e-9, 200);
    ASSERT_FALSE(trivial.has_value());
    EXPECT_EQ(trivial.error().kind, ThermoError::Kind::Evaluation);
    EXPECT_TRUE(trivial.error().text().starts_with("thermodynamic evaluation failed: trivial solution at P = "));
    EXPECT_TRUE(trivial.error().text().ends_with(" kPa: liquid and vapour on the same root (K = 1)"));
}

// At an azeotrope K = 1 too, but the phases sit on different roots.
TEST(BubbleTemperature, AzeotropeIsABubblePoint)
{
    const auto components = mixture({"cyclohexane", "2-propanol"});
    const SystemSpec spec = peng_robinson(components);
    double lowest = 1e300;
    double lowest_gap = 0.0;
    for (double x1 : {0.1, 0.3, 0.5, 0.6, 0.7, 0.9}) {
        const IncipientPoint point = bubble_t(spec, atmosphere, {x1, 1.0 - x1});
        if (point.value < lowest) {
            lowest = point.value;
            lowest_gap = std::abs(point.y[0] - x1);
        }
    }
    // A minimum-boiling azeotrope: near the lowest bubble point y = x.
    EXPECT_LT(lowest_gap, 0.02);
}

TEST(BubbleTemperature, Failures)
{
    const auto components = mixture({"benzene", "toluene"});
    const SystemSpec spec = peng_robinson(components);
    const std::vector<double> x{0.5, 0.5};
    const std::string no_bracket = "saturation temperature bracket did not converge in 96 iterations (residual NaN)";
    for (double p : {0.0, -5.0, 1e5, 1e-12})
        EXPECT_EQ(error_text(bubble_temperature(spec, p, x, 1e-9, 200)), no_bracket) << p;
    EXPECT_EQ(error_text(bubble_temperature(spec, atmosphere, std::vector<double>{0.2, 0.3, 0.5}, 1e-9, 200)),
              "dimension mismatch: components=2, x=3, y=2");
}

TEST(BubblePressure, Failures)
{
    const auto components = mixture({"benzene", "toluene"});
    const SystemSpec spec = peng_robinson(components);
    const std::vector<double> x{0.5, 0.5};
    const auto once = bubble_pressure(spec, 360.0, x, Direction::Bubble, 1e-9, 1);
    ASSERT_FALSE(once.has_value());
    EXPECT_EQ(once.error().kind, ThermoError::Kind::NoConvergence);
    EXPECT_EQ(once.error().iterations, 1u);
    EXPECT_TRUE(once.error().text().starts_with("saturation pressure did not converge in 1 iterations (residual "));

    // Far below the boiling range the pressure sits at its 1e-9 kPa floor and
    // still asks for less: the point lies below the floor, in either direction.
    EXPECT_EQ(error_text(bubble_pressure(spec, 50.0, x, Direction::Bubble, 1e-9, 200)),
              "thermodynamic evaluation failed: bubble pressure is below 1e-9 kPa at T = 50 K");
    EXPECT_EQ(error_text(bubble_pressure(spec, 50.0, x, Direction::Dew, 1e-9, 200)),
              "thermodynamic evaluation failed: dew pressure is below 1e-9 kPa at T = 50 K");
    EXPECT_EQ(error_text(bubble_pressure(spec, 360.0, x, Direction::Bubble, 1e-9, 0)),
              "saturation pressure did not converge in 0 iterations (residual NaN)");
    EXPECT_EQ(error_text(bubble_pressure(spec, 360.0, std::vector<double>{1.0}, Direction::Dew, 1e-9, 200)),
              "dimension mismatch: components=2, x=2, y=1");
}

// An activity model that yields NaN makes every K NaN while the sum of the
// pass before still looks converged: that is no bubble point.
TEST(BubblePoints, NonFiniteKValuesAreFailures)
{
    const auto components = mixture({"acetone", "water"});
    const std::vector<double> x{0.5, 0.5};
    for (double a12 : {nan_value, std::numeric_limits<double>::infinity()}) {
        const std::vector<std::vector<double>> parameters{{0.0, a12}, {1.0, 0.0}};
        const SystemSpec spec = gamma_phi(components, ActivityModel::VanLaar, parameters, VaporModel::ideal_gas());
        const std::string pressure_text = error_text(bubble_pressure(spec, 350.0, x, Direction::Bubble, 1e-9, 200));
        EXPECT_TRUE(pressure_text.starts_with("thermodynamic evaluation failed: non-finite K-values at T = 350 K, P = "))
            << pressure_text;
        const std::string temperature_text = error_text(bubble_temperature(spec, atmosphere, x, 1e-9, 200));
        EXPECT_TRUE(temperature_text.starts_with("thermodynamic evaluation failed: ")) << temperature_text;
    }
}

}  // namespace
}  // namespace kolvar::thermo
