#include "thermo/mixing_rule.hpp"

#include "eos_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

MixtureParameters parameters_or_fail(const MixtureSpec& spec, Eos eos, double t, double p, std::vector<double> x)
{
    auto result = mixture_parameters(spec, eos, t, p, x);
    if (!result) {
        ADD_FAILURE() << result.error().text();
        return {};
    }
    return *result;
}

TEST(MixingRuleNames, AreTheVariantNamesInDeclarationOrder)
{
    const char* expected[] = {"WongSandler", "HuronVidalOriginal", "HuronVidalSimplified", "MHV1",
                              "MHV2",        "IVDW",               "IIVDW",                "Classical",
                              "PatelTejaC",  "PatelTejaUSBC",      "SchmidtWenzelC"};
    for (unsigned i = 0; i < std::size(expected); ++i) {
        EXPECT_STREQ(name(static_cast<MixingRule>(i)), expected[i]);
        EXPECT_EQ(is_ge_based(static_cast<MixingRule>(i)), i <= 4) << expected[i];
    }
}

// ---------------------------------------------------------------------------
// Checks and their order

struct CheckCase {
    const char* label;
    std::size_t components;
    std::size_t composition;
    std::vector<std::vector<double>> kij;
    MixingRule rule;
    std::optional<ActivityModel> model;
    Eos eos;
    std::string expected;  // full EosError text, empty when accepted
};

class MixingRuleChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(MixingRuleChecks, ReportTheFirstFailingCheck)
{
    const CheckCase& c = GetParam();
    const Binary binary = methanol_water();
    std::vector<Component> components;
    for (std::size_t i = 0; i < c.components; ++i) components.push_back(binary.components[i % 2]);
    MixtureSpec spec{.components = components, .kij = c.kij, .rule = c.rule};
    std::vector<double> short_volumes{40.7};
    if (c.model) {
        spec.ge = GeSpec{*c.model};
        spec.activity = binary.activity(*c.model);
        if (std::string(c.label) == "activity inputs too short") spec.activity.molar_volumes = short_volumes;
    }
    const std::vector<double> x(c.composition, 1.0 / static_cast<double>(c.composition));

    const auto result = mixture_parameters(spec, c.eos, 350.0, 101.325, x);
    if (c.expected.empty()) {
        EXPECT_TRUE(result.has_value()) << result.error().text();
    }
    else {
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().text(), c.expected);
    }
}

const std::vector<std::vector<double>> ragged{{0.0, 0.1}, {0.1}};
const std::vector<std::vector<double>> zero2{{0.0, 0.0}, {0.0, 0.0}};
const std::string c_rule_tail =
    " is a C-parameter rule; pass Classical/IVDW as the a/b rule (the C rule is implied by the 3-parameter EOS "
    "variant)";
const std::string legacy_tail =
    " is not supported (the legacy programs pair 3-parameter EOS with classical a/b mixing only)";

INSTANTIATE_TEST_SUITE_P(
    InOrder, MixingRuleChecks,
    ::testing::Values(
        CheckCase{"composition too short", 3, 2, {}, MixingRule::Classical, {}, Eos::PR1976,
                  "dimension mismatch: components.len()=3 but composition.len()=2"},
        CheckCase{"composition before kij", 3, 2, ragged, MixingRule::PatelTejaC, {}, Eos::PR1976,
                  "dimension mismatch: components.len()=3 but composition.len()=2"},
        CheckCase{"ragged kij", 2, 2, ragged, MixingRule::Classical, {}, Eos::PR1976,
                  "dimension mismatch: kij must be empty or 2\u00d72"},
        CheckCase{"kij rows against n", 3, 3, zero2, MixingRule::Classical, {}, Eos::PR1976,
                  "dimension mismatch: kij must be empty or 3\u00d73"},
        CheckCase{"kij before rule", 2, 2, ragged, MixingRule::MHV1, {}, Eos::PatelTeja,
                  "dimension mismatch: kij must be empty or 2\u00d72"},
        CheckCase{"PatelTejaC", 2, 2, {}, MixingRule::PatelTejaC, {}, Eos::PatelTeja,
                  "unsupported combination: PatelTejaC" + c_rule_tail},
        CheckCase{"PatelTejaUSBC", 2, 2, {}, MixingRule::PatelTejaUSBC, {}, Eos::PR1976,
                  "unsupported combination: PatelTejaUSBC" + c_rule_tail},
        CheckCase{"SchmidtWenzelC", 2, 2, {}, MixingRule::SchmidtWenzelC, ActivityModel::VanLaar, Eos::SchmidtWenzel,
                  "unsupported combination: SchmidtWenzelC" + c_rule_tail},
        CheckCase{"GE rule without model", 2, 2, {}, MixingRule::MHV1, {}, Eos::PR1976,
                  "unsupported combination: mixing rule MHV1 requires an activity model (GeSpec)"},
        CheckCase{"missing model before 3-parameter EOS", 2, 2, {}, MixingRule::WongSandler, {}, Eos::PatelTeja,
                  "unsupported combination: mixing rule WongSandler requires an activity model (GeSpec)"},
        CheckCase{"GE rule with PatelTeja", 2, 2, {}, MixingRule::MHV1, ActivityModel::VanLaar, Eos::PatelTeja,
                  "unsupported combination: GE-based rule MHV1 with 3-parameter EOS PatelTeja" + legacy_tail},
        CheckCase{"GE rule with SchmidtWenzel", 2, 2, {}, MixingRule::HuronVidalOriginal, ActivityModel::Wilson,
                  Eos::SchmidtWenzel,
                  "unsupported combination: GE-based rule HuronVidalOriginal with 3-parameter EOS SchmidtWenzel" +
                      legacy_tail},
        CheckCase{"3-parameter EOS before activity inputs", 3, 3, {}, MixingRule::MHV2, ActivityModel::Margules,
                  Eos::PatelTejaUSB,
                  "unsupported combination: GE-based rule MHV2 with 3-parameter EOS PatelTejaUSB" + legacy_tail},
        CheckCase{"activity inputs too short", 2, 2, {}, MixingRule::MHV2, ActivityModel::Wilson, Eos::PR1976,
                  "dimension mismatch: activity model Wilson needs 2 molar volumes, got 1"},
        CheckCase{"VanLaar matrix too small", 3, 3, {}, MixingRule::HuronVidalSimplified, ActivityModel::VanLaar,
                  Eos::RKS1972, "dimension mismatch: activity model VanLaar needs a parameter matrix of at least 3\u00d73"},
        CheckCase{"Margules beyond a binary", 3, 3, {}, MixingRule::MHV1, ActivityModel::Margules, Eos::PR1976,
                  "dimension mismatch: activity model Margules needs exactly 2 components, got 3"},
        CheckCase{"IIVDW with a 3-parameter EOS", 2, 2, {}, MixingRule::IIVDW, {}, Eos::SchmidtWenzel, ""},
        CheckCase{"Classical ignores a present GeSpec", 2, 2, zero2, MixingRule::Classical, ActivityModel::VanLaar,
                  Eos::PatelTeja, ""}),
    [](const auto& instance) {
        std::string label = instance.param.label;
        for (char& ch : label)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return label;
    });

// ---------------------------------------------------------------------------
// Identities of the a/b rules

TEST(ClassicalRule, EmptyAndZeroKijAgreeAndIvdwIsTheSameRule)
{
    const Binary binary = butane_pentane();
    for (Eos eos : all_eos) {
        SCOPED_TRACE(name(eos));
        const State& s = binary.states[1];
        MixtureSpec spec{.components = binary.components};
        const auto empty = parameters_or_fail(spec, eos, s.temperature, s.pressure, s.x);
        spec.kij = zero2;
        const auto zero = parameters_or_fail(spec, eos, s.temperature, s.pressure, s.x);
        spec.rule = MixingRule::IVDW;
        const auto ivdw = parameters_or_fail(spec, eos, s.temperature, s.pressure, s.x);
        for (const MixtureParameters* other : {&zero, &ivdw}) {
            EXPECT_EQ(other->a, empty.a);
            EXPECT_EQ(other->b, empty.b);
            EXPECT_EQ(other->u, empty.u);
            EXPECT_EQ(other->w, empty.w);
            EXPECT_EQ(other->a_bar, empty.a_bar);
            EXPECT_EQ(other->b_bar, empty.b_bar);
            EXPECT_EQ(other->u_bar, empty.u_bar);
            EXPECT_EQ(other->w_bar, empty.w_bar);
        }
    }
}

// An asymmetric kij acts through its symmetric part in Classical and
// WongSandler: the results equal those of the symmetrised matrix exactly.
TEST(AsymmetricKij, ClassicalAndWongSandlerUseTheSymmetricPart)
{
    const Binary binary = methanol_water();
    const std::vector<std::vector<double>> asym{{0.01, 0.12}, {-0.04, 0.02}};
    const std::vector<std::vector<double>> sym{{0.01, 0.04}, {0.04, 0.02}};
    const State& s = binary.states[1];
    for (MixingRule rule : {MixingRule::Classical, MixingRule::WongSandler}) {
        SCOPED_TRACE(name(rule));
        MixtureSpec spec{.components = binary.components, .kij = asym, .rule = rule, .ge = GeSpec{},
                         .activity = binary.activity(ActivityModel::VanLaar)};
        const auto from_asym = parameters_or_fail(spec, Eos::PR1976, s.temperature, s.pressure, s.x);
        spec.kij = sym;
        const auto from_sym = parameters_or_fail(spec, Eos::PR1976, s.temperature, s.pressure, s.x);
        EXPECT_EQ(from_asym.a, from_sym.a);
        EXPECT_EQ(from_asym.b, from_sym.b);
        EXPECT_EQ(from_asym.a_bar, from_sym.a_bar);
        EXPECT_EQ(from_asym.b_bar, from_sym.b_bar);
    }
}

// One component: the a/b rules return the pure parameters; a diagonal k_11
// scales A by (1 - k_11) in Classical and by (1 - 2 k_11) in IIVDW.
TEST(OneComponent, AbRulesReturnThePureParameters)
{
    const std::vector<Component> one{database("n-butane")};
    const std::vector<std::vector<double>> k11{{0.1}};
    for (Eos eos : all_eos) {
        SCOPED_TRACE(name(eos));
        const ReducedParameters pure = reduced_parameters(eos, one[0], 320.0, 500.0);
        for (MixingRule rule : {MixingRule::Classical, MixingRule::IVDW, MixingRule::IIVDW}) {
            SCOPED_TRACE(name(rule));
            MixtureSpec spec{.components = one, .rule = rule};
            const auto m = parameters_or_fail(spec, eos, 320.0, 500.0, {1.0});
            EXPECT_DOUBLE_EQ(m.a, pure.a);
            EXPECT_EQ(m.b, pure.b);
            EXPECT_DOUBLE_EQ(m.a_bar[0], 2.0 * pure.a);
            EXPECT_EQ(m.b_bar[0], pure.b);
            EXPECT_DOUBLE_EQ(m.u, pure.u);
            EXPECT_NEAR(m.w, pure.w, 1e-15 * std::abs(pure.b * pure.b));

            spec.kij = k11;
            const auto scaled = parameters_or_fail(spec, eos, 320.0, 500.0, {1.0});
            const double factor = rule == MixingRule::IIVDW ? 0.8 : 0.9;
            EXPECT_NEAR(scaled.a, factor * pure.a, 1e-14 * pure.a);
        }
    }
}

// One component with an activity model whose ln gamma vanishes for a pure
// component: every GE-based rule returns the pure A and B (for MHV2 the
// larger root of its quadratic is the pure alpha).
TEST(OneComponent, GeRulesReturnThePureParameters)
{
    const std::vector<Component> one{database("methanol")};
    const std::vector<std::vector<double>> matrix{{0.0}};
    const std::vector<double> volume{40.7};
    const std::vector<double> delta{14.5};
    for (Eos eos : all_eos) {
        if (is_three_parameter(eos)) continue;
        SCOPED_TRACE(name(eos));
        const ReducedParameters pure = reduced_parameters(eos, one[0], 400.0, 300.0);
        for (MixingRule rule : {MixingRule::WongSandler, MixingRule::HuronVidalOriginal,
                                MixingRule::HuronVidalSimplified, MixingRule::MHV1, MixingRule::MHV2}) {
            for (ActivityModel model : {ActivityModel::VanLaar, ActivityModel::Wilson, ActivityModel::RegularSolution,
                                        ActivityModel::IdealLiquid}) {
                SCOPED_TRACE(std::string(name(rule)) + " " + name(model));
                MixtureSpec spec{.components = one, .rule = rule, .ge = GeSpec{model},
                                 .activity = {matrix, volume, delta}};
                const auto m = parameters_or_fail(spec, eos, 400.0, 300.0, {1.0});
                EXPECT_NEAR(m.a, pure.a, 1e-12 * pure.a);
                EXPECT_NEAR(m.b, pure.b, 1e-12 * pure.b);
                EXPECT_NEAR(m.a_bar[0], 2.0 * pure.a, 1e-12 * pure.a);
                EXPECT_NEAR(m.b_bar[0], pure.b, 1e-12 * pure.b);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// The lists are the composition derivatives of the mixture parameters

class MixtureDerivatives : public ::testing::TestWithParam<RuleCase> {};

TEST_P(MixtureDerivatives, MatchCentralDifferencesInTheAmounts)
{
    for_each_combination(GetParam(), [](const MixtureSpec& spec, Eos eos, const State& s) {
        const auto base = mixture_parameters(spec, eos, s.temperature, s.pressure, s.x);
        ASSERT_TRUE(base.has_value()) << base.error().text();
        const MixtureParameters& m = *base;

        // Sum rules (Euler's theorem for the homogeneous N^2 A, N B, N U, N^2 W).
        double sum_a = 0.0, sum_b = 0.0, sum_u = 0.0, sum_w = 0.0;
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            sum_a += s.x[i] * m.a_bar[i];
            sum_b += s.x[i] * m.b_bar[i];
            sum_u += s.x[i] * m.u_bar[i];
            sum_w += s.x[i] * m.w_bar[i];
        }
        EXPECT_NEAR(sum_a, 2.0 * m.a, 1e-13 * std::abs(m.a));
        EXPECT_NEAR(sum_b, m.b, 1e-13 * std::abs(m.b));
        EXPECT_NEAR(sum_u, m.u, 1e-13 * std::abs(m.u) + 1e-300);
        EXPECT_NEAR(sum_w, 2.0 * m.w, 1e-13 * std::abs(m.w) + 1e-300);

        const double h = 1e-5;
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            // N x_j at N = 1 with N_i shifted by +-h.
            auto at = [&](double shift) {
                std::vector<double> amounts = s.x;
                amounts[i] += shift;
                const double total = 1.0 + shift;
                std::vector<double> x(amounts.size());
                for (std::size_t j = 0; j < x.size(); ++j) x[j] = amounts[j] / total;
                const auto p = mixture_parameters(spec, eos, s.temperature, s.pressure, x);
                EXPECT_TRUE(p.has_value());
                const double a = p ? p->a : NAN, b = p ? p->b : NAN, u = p ? p->u : NAN, w = p ? p->w : NAN;
                return std::array<double, 4>{total * total * a, total * b, total * u, total * total * w};
            };
            const auto plus = at(h);
            const auto minus = at(-h);
            const double analytic[] = {m.a_bar[i], m.b_bar[i], m.u_bar[i], m.w_bar[i]};
            const double scale[] = {std::abs(m.a), std::abs(m.b), std::abs(m.u), std::abs(m.w)};
            const char* what[] = {"a_bar", "b_bar", "u_bar", "w_bar"};
            for (int q = 0; q < 4; ++q) {
                const double numeric = (plus[q] - minus[q]) / (2.0 * h);
                EXPECT_NEAR(analytic[q], numeric, 1e-7 * std::max(scale[q], std::abs(analytic[q])) + 1e-300)
                    << what[q] << "[" << i << "]";
            }
        }
    });
}

INSTANTIATE_TEST_SUITE_P(AcceptedRules, MixtureDerivatives, ::testing::ValuesIn(accepted_rule_cases()), case_name);

}  // namespace
}  // namespace kolvar::thermo
