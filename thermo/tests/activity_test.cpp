#include "thermo/activity.hpp"
#include "thermo/activity_table.hpp"
#include "thermo/group_contribution.hpp"

#include "numerics/dual.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

// One model with its parameters, as a binary or wider mixture.
struct Mixture {
    std::string label;
    ActivityModel model;
    double temperature;
    std::vector<std::vector<double>> parameters;
    std::vector<double> volumes;
    std::vector<double> deltas;
    std::vector<std::vector<double>> b{};
    std::vector<std::vector<double>> alpha{};
    std::vector<double> r{};
    std::vector<double> q{};
    std::shared_ptr<const GroupMixture> groups{};

    ActivityInputs inputs() const { return {parameters, volumes, deltas, b, alpha, r, q, groups.get()}; }

    std::vector<double> ln_gamma(const std::vector<double>& x) const
    {
        std::vector<double> out(x.size());
        thermo::ln_gamma(model, temperature, x, inputs(), out);
        return out;
    }
    double g_excess(const std::vector<double>& x) const
    {
        std::vector<double> out(x.size());
        return excess_gibbs(model, temperature, x, inputs(), out);
    }
};

void PrintTo(const Mixture& m, std::ostream* os) { *os << m.label; }

// A group-contribution model of database compounds, with its subgroups prepared.
Mixture group_mixture(std::string label, ActivityModel model, double temperature, std::vector<std::string> names)
{
    const auto components = find_components(names);
    auto groups = prepare_groups(*group_model(model), components.value());
    return {std::move(label), model, temperature, {}, {}, {}, {}, {}, {}, {},
            std::make_shared<const GroupMixture>(std::move(groups.value()))};
}

std::vector<Mixture> binary_mixtures()
{
    return {
        {"VanLaar_positive", ActivityModel::VanLaar, 350.0, {{0.0, 1.5}, {0.8, 0.0}}, {}, {}},
        {"VanLaar_asymmetric", ActivityModel::VanLaar, 350.0, {{0.0, 0.3}, {2.0, 0.0}}, {}, {}},
        {"VanLaar_negative", ActivityModel::VanLaar, 350.0, {{0.0, -0.5}, {-0.9, 0.0}}, {}, {}},
        {"Wilson_methanol_water", ActivityModel::Wilson, 340.0, {{0.0, 1400.0}, {2400.0, 0.0}}, {40.7, 18.07}, {}},
        {"Wilson_negative", ActivityModel::Wilson, 300.0, {{0.0, -600.0}, {3500.0, 0.0}}, {89.4, 131.6}, {}},
        {"RegularSolution", ActivityModel::RegularSolution, 330.0, {}, {89.4, 147.5}, {9.2, 7.4}},
        {"Margules", ActivityModel::Margules, 350.0, {{0.0, 1.5}, {0.8, 0.0}}, {}, {}},
        {"Margules_mixed_sign", ActivityModel::Margules, 350.0, {{0.0, -0.4}, {0.9, 0.0}}, {}, {}},
        {"IdealLiquid", ActivityModel::IdealLiquid, 350.0, {}, {}, {}},
        {"NRTL_ethanol_water", ActivityModel::NRTL, 351.0, {{0.0, -0.8009}, {3.4578, 0.0}}, {}, {},
         {{0.0, 246.18}, {-586.0809, 0.0}}, {{0.0, 0.3}, {0.3, 0.0}}},
        {"NRTL_asymmetric_alpha", ActivityModel::NRTL, 320.0, {{0.0, 1.2}, {-0.4, 0.0}}, {}, {},
         {{0.0, -150.0}, {420.0, 0.0}}, {{0.0, 0.47}, {0.2, 0.0}}},
        {"UNIQUAC_acetone_water", ActivityModel::UNIQUAC, 330.0, {{0.0, 0.1}, {-0.2, 0.0}}, {}, {},
         {{0.0, -150.0}, {-30.0, 0.0}}, {}, {2.5735, 0.92}, {2.336, 1.4}},
        group_mixture("UNIFAC_ethanol_water", ActivityModel::UNIFAC, 351.0, {"ethanol", "water"}),
        group_mixture("UNIFAC_Dortmund_methylcyclohexane_2_propanol", ActivityModel::UNIFACDortmund, 360.0,
                      {"methylcyclohexane", "2-propanol"}),
    };
}

class BinaryModel : public ::testing::TestWithParam<Mixture> {};

// Gibbs-Duhem: x1 dln(gamma1)/dx1 + x2 dln(gamma2)/dx1 = 0 along x2 = 1 - x1.
TEST_P(BinaryModel, SatisfiesGibbsDuhem)
{
    const Mixture& s = GetParam();
    const double step = 1e-5;
    for (double x1 : {0.05, 0.2, 0.5, 0.73, 0.95}) {
        const auto up = s.ln_gamma({x1 + step, 1.0 - x1 - step});
        const auto down = s.ln_gamma({x1 - step, 1.0 - x1 + step});
        const double d1 = (up[0] - down[0]) / (2.0 * step);
        const double d2 = (up[1] - down[1]) / (2.0 * step);
        const double scale = std::abs(x1 * d1) + std::abs((1.0 - x1) * d2) + 1e-3;
        EXPECT_NEAR(x1 * d1 + (1.0 - x1) * d2, 0.0, 1e-6 * scale) << "x1 = " << x1;
    }
}

// d(gE/RT)/dx1 = ln gamma1 - ln gamma2, and gE/RT = sum x_i ln gamma_i with
// the very values ln_gamma writes.
TEST_P(BinaryModel, ExcessGibbsEnergyIsConsistentWithLnGamma)
{
    const Mixture& s = GetParam();
    const double step = 1e-5;
    for (double x1 : {0.1, 0.4, 0.8}) {
        const std::vector<double> x = {x1, 1.0 - x1};
        const auto ln_g = s.ln_gamma(x);
        std::vector<double> written(2);
        const double g = excess_gibbs(s.model, s.temperature, x, s.inputs(), written);
        EXPECT_EQ(written, ln_g);
        EXPECT_DOUBLE_EQ(g, x[0] * ln_g[0] + x[1] * ln_g[1]);

        const double slope = (s.g_excess({x1 + step, 1.0 - x1 - step}) - s.g_excess({x1 - step, 1.0 - x1 + step})) /
                             (2.0 * step);
        EXPECT_NEAR(slope, ln_g[0] - ln_g[1], 1e-7 * (1.0 + std::abs(slope))) << "x1 = " << x1;
    }
}

TEST_P(BinaryModel, PureComponentsHaveNoExcessGibbsEnergy)
{
    const Mixture& s = GetParam();
    EXPECT_EQ(s.g_excess({1.0, 0.0}), 0.0);
    EXPECT_EQ(s.g_excess({0.0, 1.0}), 0.0);
    EXPECT_NEAR(s.ln_gamma({1.0, 0.0})[0], 0.0, 1e-15);
    EXPECT_NEAR(s.ln_gamma({0.0, 1.0})[1], 0.0, 1e-15);
}

INSTANTIATE_TEST_SUITE_P(Activity, BinaryModel, ::testing::ValuesIn(binary_mixtures()),
                         [](const auto& instance) { return instance.param.label; });

// With a Dual temperature every model gives its values bit for bit and the
// slope d ln gamma/dT: a central difference where the table says the model
// depends on temperature, exactly 0 where it says it does not.
TEST_P(BinaryModel, TemperatureSlopeFollowsTheTable)
{
    const Mixture& s = GetParam();
    const bool dependent = activity_data::row(s.model).temperature_dependent;
    for (double x1 : {0.0, 0.3, 0.85}) {
        const std::vector<double> x = {x1, 1.0 - x1};
        std::vector<Dual> exact(2);
        thermo::ln_gamma(s.model, Dual{s.temperature, 1.0}, x, s.inputs(), std::span<Dual>(exact));
        const double h = 1e-3;
        std::vector<double> up(2), down(2);
        thermo::ln_gamma(s.model, s.temperature + h, x, s.inputs(), std::span<double>(up));
        thermo::ln_gamma(s.model, s.temperature - h, x, s.inputs(), std::span<double>(down));
        const auto plain = s.ln_gamma(x);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(exact[i].value, plain[i]);
            if (!dependent) {
                EXPECT_EQ(exact[i].dt, 0.0);
            }
            const double numeric = (up[i] - down[i]) / (2.0 * h);
            EXPECT_NEAR(exact[i].dt, numeric, 1e-8 * (1.0 + std::abs(numeric))) << "x1 = " << x1 << " i = " << i;
        }
    }
}

TEST(Activity, VanLaarAtEqualMoleFractions)
{
    const Mixture s{"", ActivityModel::VanLaar, 350.0, {{0.0, 1.5}, {0.8, 0.0}}, {}, {}};
    const auto ln_g = s.ln_gamma({0.5, 0.5});
    EXPECT_DOUBLE_EQ(ln_g[0], 1.5 * std::pow(0.4 / 1.15, 2));
    EXPECT_DOUBLE_EQ(ln_g[1], 0.8 * std::pow(0.75 / 1.15, 2));
}

TEST(Activity, InfiniteDilutionLimits)
{
    const Mixture van_laar{"", ActivityModel::VanLaar, 350.0, {{0.0, 1.5}, {0.8, 0.0}}, {}, {}};
    EXPECT_NEAR(van_laar.ln_gamma({1e-9, 1.0 - 1e-9})[0], 1.5, 1e-8);
    EXPECT_DOUBLE_EQ(van_laar.ln_gamma({1.0, 0.0})[1], 0.8);

    const Mixture margules{"", ActivityModel::Margules, 350.0, {{0.0, 1.5}, {0.8, 0.0}}, {}, {}};
    EXPECT_DOUBLE_EQ(margules.ln_gamma({0.0, 1.0})[0], 1.5);
    EXPECT_DOUBLE_EQ(margules.ln_gamma({1.0, 0.0})[1], 0.8);
}

TEST(Activity, VanLaarWithoutInteractionIsIdealNotNaN)
{
    const Mixture s{"", ActivityModel::VanLaar, 350.0, {{0.0, 0.0}, {0.0, 0.0}}, {}, {}};
    for (double x1 : {0.0, 0.3, 1.0}) {
        const auto ln_g = s.ln_gamma({x1, 1.0 - x1});
        EXPECT_EQ(ln_g[0], 0.0);
        EXPECT_EQ(ln_g[1], 0.0);
    }
}

TEST(Activity, ModelsWithoutDifferencesBetweenComponentsAreIdeal)
{
    const std::vector<double> x = {0.2, 0.5, 0.3};
    const Mixture wilson{"", ActivityModel::Wilson, 320.0, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {50.0, 50.0, 50.0}, {}};
    for (double v : wilson.ln_gamma(x)) EXPECT_NEAR(v, 0.0, 1e-15);
    const Mixture regular{"", ActivityModel::RegularSolution, 320.0, {}, {40.0, 90.0, 150.0}, {8.1, 8.1, 8.1}};
    for (double v : regular.ln_gamma(x)) EXPECT_EQ(v, 0.0);
    // NRTL with tau = 0 is the ideal liquid exactly, whatever alpha; UNIQUAC
    // with tau = 1 and equal sizes and shapes up to rounding.
    const std::vector<std::vector<double>> zero(3, std::vector<double>(3, 0.0));
    const Mixture nrtl{"", ActivityModel::NRTL, 320.0, zero, {}, {}, zero, {{0, 0.3, 0.2}, {0.3, 0, 0.5}, {0.1, 0.2, 0}}};
    for (double v : nrtl.ln_gamma(x)) EXPECT_EQ(v, 0.0);
    const Mixture uniquac{"", ActivityModel::UNIQUAC, 320.0, zero, {}, {}, zero, {}, {2.1, 2.1, 2.1}, {1.7, 1.7, 1.7}};
    for (double v : uniquac.ln_gamma(x)) EXPECT_NEAR(v, 0.0, 1e-15);
}

std::vector<Mixture> ternary_mixtures()
{
    return {
        {"Wilson", ActivityModel::Wilson, 330.0, {{0, 900, 2500}, {-300, 0, 1200}, {1800, 400, 0}}, {40.7, 58.7, 18.1}, {}},
        {"RegularSolution", ActivityModel::RegularSolution, 330.0, {}, {89.4, 147.5, 40.7}, {9.2, 7.4, 14.5}},
        {"NRTL", ActivityModel::NRTL, 340.0, {{0, -0.8, 1.1}, {3.4, 0, 0.6}, {-0.3, 1.9, 0}}, {}, {},
         {{0, 246.0, -120.0}, {-586.0, 0, 310.0}, {95.0, -40.0, 0}}, {{0, 0.3, 0.45}, {0.3, 0, 0.2}, {0.47, 0.2, 0}}},
        {"UNIQUAC", ActivityModel::UNIQUAC, 340.0, {{0, 0.2, -0.5}, {-0.1, 0, 0.3}, {0.4, -0.6, 0}}, {}, {},
         {{0, -120.0, 80.0}, {-60.0, 0, -200.0}, {150.0, 30.0, 0}}, {}, {2.1055, 0.92, 3.1878}, {1.972, 1.4, 2.4}},
        group_mixture("UNIFAC", ActivityModel::UNIFAC, 340.0, {"acetone", "methanol", "water"}),
        group_mixture("UNIFAC_Dortmund", ActivityModel::UNIFACDortmund, 340.0, {"toluene", "ethanol", "water"}),
    };
}

// ln gamma_i = d(n gE/RT)/dn_i at fixed T and the other amounts: the partial
// molar form of every model's excess Gibbs energy, by central differences in
// the amounts of a ternary.
TEST(Activity, LnGammaIsThePartialMolarExcessGibbsEnergy)
{
    const std::vector<double> amounts = {0.25, 0.45, 0.30};
    for (const Mixture& s : ternary_mixtures()) {
        const auto g_of = [&](std::vector<double> n) {
            double total = 0.0;
            for (double v : n) total += v;
            std::vector<double> x(3);
            for (int i = 0; i < 3; ++i) x[i] = n[i] / total;
            return total * s.g_excess(x);
        };
        const auto ln_g = s.ln_gamma(amounts);
        const double h = 1e-5;
        for (int i = 0; i < 3; ++i) {
            std::vector<double> up = amounts, down = amounts;
            up[i] += h;
            down[i] -= h;
            EXPECT_NEAR((g_of(up) - g_of(down)) / (2.0 * h), ln_g[i], 1e-8 * (1.0 + std::abs(ln_g[i])))
                << s.label << " i = " << i;
        }
    }
}

// Gibbs-Duhem for a ternary: sum_i x_i d ln(gamma_i) = 0 along any composition
// change that keeps the sum of mole fractions.
TEST(Activity, TernaryMixturesSatisfyGibbsDuhem)
{
    const std::vector<Mixture> mixtures = ternary_mixtures();
    const std::vector<double> x = {0.25, 0.45, 0.30};
    const std::array<std::array<double, 3>, 2> directions = {{{1.0, -1.0, 0.0}, {0.5, 0.5, -1.0}}};
    const double step = 1e-5;
    for (const Mixture& s : mixtures) {
        for (const auto& d : directions) {
            std::vector<double> up = x, down = x;
            for (int i = 0; i < 3; ++i) {
                up[i] += step * d[i];
                down[i] -= step * d[i];
            }
            const auto lu = s.ln_gamma(up), ld = s.ln_gamma(down);
            double sum = 0.0;
            for (int i = 0; i < 3; ++i) sum += x[i] * (lu[i] - ld[i]) / (2.0 * step);
            EXPECT_NEAR(sum, 0.0, 1e-7) << s.label;
        }
    }
}

// Wilson keeps per-component sums on the stack for small mixtures and
// recomputes them for large ones; a component with x = 0 changes nothing, so
// both paths must agree.
TEST(Activity, WilsonGivesTheSameValuesForSmallAndLargeMixtures)
{
    const std::size_t small = 16, large = 17;
    std::vector<std::vector<double>> a(large, std::vector<double>(large));
    std::vector<double> volumes(large), x(large, 0.0);
    for (std::size_t i = 0; i < large; ++i) {
        volumes[i] = 20.0 + 7.0 * static_cast<double>(i);
        for (std::size_t j = 0; j < large; ++j) a[i][j] = i == j ? 0.0 : 150.0 * static_cast<double>((3 * i + j) % 11) - 500.0;
        if (i < small) x[i] = 1.0 / static_cast<double>(small);
    }
    std::vector<double> out_large(large), out_small(small);
    ln_gamma(ActivityModel::Wilson, 330.0, x, {a, volumes, {}}, out_large);
    ln_gamma(ActivityModel::Wilson, 330.0, std::span<const double>(x).first(small), {a, volumes, {}}, out_small);
    for (std::size_t i = 0; i < small; ++i) EXPECT_DOUBLE_EQ(out_large[i], out_small[i]) << i;
}

TEST(Activity, MargulesOutsideABinaryGivesNaN)
{
    const std::vector<std::vector<double>> a = {{0, 1, 1}, {1, 0, 1}, {1, 1, 0}};
    const std::vector<double> x = {0.2, 0.3, 0.5};
    std::vector<double> out(3, 0.0);
    ln_gamma(ActivityModel::Margules, 300.0, x, {a, {}, {}}, out);
    for (double v : out) EXPECT_TRUE(std::isnan(v));
    EXPECT_TRUE(std::isnan(excess_gibbs(ActivityModel::Margules, 300.0, x, {a, {}, {}}, out)));
}

TEST(Activity, ModelNames)
{
    const char* expected[] = {"VanLaar", "Wilson",  "RegularSolution", "Margules",       "IdealLiquid",
                              "NRTL",    "UNIQUAC", "UNIFAC",          "UNIFAC-Dortmund"};
    ASSERT_EQ(activity_data::model_count, std::size(expected));
    for (unsigned i = 0; i < std::size(expected); ++i) EXPECT_STREQ(name(static_cast<ActivityModel>(i)), expected[i]);
}

}  // namespace
}  // namespace kolvar::thermo
