// The tangent-plane scan of a binary liquid against liquid_stability's
// trials: along the bubble curves of every database pair (Peng-Robinson) and
// of activity-model liquids near and far from their critical solution point,
// both say the same liquids split; and the scan answers no when the liquid
// cannot split.
#include "thermo/binary_stability.hpp"
#include "thermo/stability.hpp"

#include "flash_test_support.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using namespace kolvar::thermo;
using namespace kolvar::thermo::testing;

constexpr double pressure = 101.325;  // kPa
constexpr double splitting = -1e-9;   // liquid_stability's tpd of a liquid that splits

// Counts the grid liquids where the scan and the trials disagree, after
// asserting on the first one; returns how many liquids split.
int compare_along_bubble_curve(const SystemSpec& spec, const std::string& name)
{
    int splits = 0;
    for (int i = 1; i < 20; ++i) {
        const double x1 = i / 20.0;
        const std::array<double, 2> x{x1, 1.0 - x1};
        const auto bubble = bubble_temperature(spec, pressure, x, 1e-9, 200);
        if (!bubble) continue;
        const auto trials = liquid_stability(spec, bubble->value, pressure, x);
        const auto scan = binary_liquid_splits(spec, bubble->value, pressure, x);
        if (!trials || !scan) continue;
        const bool split = trials->tpd < splitting;
        EXPECT_TRUE(!split || !scan->convex);
        EXPECT_EQ(scan->splits, split) << name << " at x1 = " << x1 << ", T = " << bubble->value << " K, tpd "
                                << trials->tpd;
        if (scan->splits != split) return splits;
        splits += split;
    }
    return splits;
}

TEST(BinaryLiquidSplits, AgreesWithTheStabilityTrialsAlongBubbleCurves)
{
    const auto names = database_names();
    int split_pairs = 0;
    for (std::size_t a = 0; a < names.size(); ++a) {
        for (std::size_t b = a + 1; b < names.size(); ++b) {
            const auto components = mixture({names[a], names[b]});
            split_pairs += compare_along_bubble_curve(peng_robinson(components), names[a] + "/" + names[b]) > 0;
        }
    }
    EXPECT_GT(split_pairs, 10);  // Peng-Robinson with kij = 0 splits many of the pairs

    // Margules and van Laar around the critical value 2 of a symmetric pair
    // (narrow splits), and asymmetric ones.
    const auto components = mixture({"benzene", "toluene"});
    for (ActivityModel model : {ActivityModel::Margules, ActivityModel::VanLaar}) {
        for (double a12 : {1.9, 2.005, 2.02, 2.5, 3.0}) {
            for (double ratio : {1.0, 0.6}) {
                const std::vector<std::vector<double>> parameters{{0.0, a12}, {a12 * ratio, 0.0}};
                compare_along_bubble_curve(gamma_phi(components, model, parameters, VaporModel::ideal_gas()),
                                           std::string(name(model)) + " " + std::to_string(a12));
            }
        }
    }
}

TEST(BinaryLiquidSplits, NoSplitWithoutACompositionDependentLiquid)
{
    const auto components = mixture({"methanol", "water"});
    const std::array<double, 2> x{0.3, 0.7};
    const auto pr = value_or_fail(binary_liquid_splits(peng_robinson(components), 340.0, pressure, x));
    EXPECT_TRUE(pr.splits && !pr.convex);
    const auto cannot_split = [](std::expected<BinaryStability, ThermoError> tested) {
        return tested && !tested->splits && tested->convex;
    };
    EXPECT_TRUE(cannot_split(binary_liquid_splits(
        described(components, liquid::IdealSolution{}, VaporModel::ideal_gas()), 340.0, pressure, x)));
    EXPECT_TRUE(cannot_split(
        binary_liquid_splits(peng_robinson(components), 340.0, pressure, std::array<double, 2>{0.0, 1.0})));
    const auto three = mixture({"methanol", "water", "ethanol"});
    EXPECT_TRUE(cannot_split(
        binary_liquid_splits(peng_robinson(three), 340.0, pressure, std::array<double, 3>{0.3, 0.3, 0.4})));
}

// Along Peng-Robinson methanol/water's bubble curve, the minimum reached
// downhill from the trial that showed a split shows it too, and is a minimum:
// descents from either side of it end on it.
TEST(BinaryTangentMinimum, FollowsTheMinimumThatShowsASplit)
{
    const auto spec = peng_robinson(mixture({"methanol", "water"}));
    int followed = 0;
    for (int i = 1; i < 20; ++i) {
        const std::array<double, 2> x{i / 20.0, 1.0 - i / 20.0};
        const double t = value_or_fail(bubble_temperature(spec, pressure, x, 1e-9, 200)).value;
        const auto scan = value_or_fail(binary_liquid_splits(spec, t, pressure, x));
        if (!scan.splits) continue;
        const auto found = value_or_fail(binary_tangent_minimum(spec, t, pressure, x, scan.witness));
        ASSERT_TRUE(found && found->splits) << "x1 = " << x[0];
        for (double side : {-1e-3, 1e-3}) {
            const auto again = value_or_fail(binary_tangent_minimum(spec, t, pressure, x, found->w1 + side));
            ASSERT_TRUE(again.has_value());
            EXPECT_NEAR(again->w1, found->w1, 1e-8);
            EXPECT_NEAR(again->tpd, found->tpd, 1e-12);
        }
        ++followed;
    }
    EXPECT_GT(followed, 3);
}

}  // namespace
