#include "thermo/mixture.hpp"

#include "eos_test_support.hpp"
#include "numerics/dual.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

std::vector<double> ln_phi_or_fail(const MixtureSpec& spec, Eos eos, double t, double p, const std::vector<double>& x,
                                   Phase phase)
{
    auto result = mixture_ln_phi(spec, eos, t, p, x, phase);
    if (!result) {
        ADD_FAILURE() << result.error().text();
        return std::vector<double>(x.size(), nan_value);
    }
    return *result;
}

// ln phi of the mixture as a whole at composition x, independently of the
// per-component formula.
MixtureValue value_at(const MixtureSpec& spec, Eos eos, const State& s, const std::vector<double>& x)
{
    const auto m = mixture_parameters(spec, eos, s.temperature, s.pressure, x);
    if (!m) {
        ADD_FAILURE() << m.error().text();
        return {nan_value, 1.0};
    }
    return mixture_value(*m, s.phase);
}

// ---------------------------------------------------------------------------
// Every accepted rule and equation of state

// ln phi_i from both forms (bit-identical), their x-weighted sum against the
// mixture value, and each ln phi_i against d(N ln phi_mix)/dN_i.
void expect_consistent(const MixtureSpec& spec, Eos eos, const State& s)
{
    const std::vector<double> ln_phi = ln_phi_or_fail(spec, eos, s.temperature, s.pressure, s.x, s.phase);

    const ComponentParameters pre = component_parameters(spec.components, eos, s.temperature, s.pressure);
    std::vector<double> staged(s.x.size(), nan_value);
    ASSERT_TRUE(mixture_ln_phi(spec, pre, s.x, s.phase, staged).has_value());
    for (std::size_t i = 0; i < staged.size(); ++i)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(staged[i]), std::bit_cast<std::uint64_t>(ln_phi[i]));

    // sum x_i ln phi_i = Z - 1 - ln(Z - B) - A g
    const MixtureValue mixture = value_at(spec, eos, s, s.x);
    double sum = 0.0;
    for (std::size_t i = 0; i < ln_phi.size(); ++i) sum += s.x[i] * ln_phi[i];
    EXPECT_NEAR(sum, mixture.ln_phi, 1e-12 * mixture.scale);

    // central differences in N_i at N = 1
    const double h = 1e-5;
    for (std::size_t i = 0; i < s.x.size(); ++i) {
        auto n_ln_phi = [&](double shift) {
            std::vector<double> x = s.x;
            x[i] += shift;
            for (double& xj : x) xj /= 1.0 + shift;
            return (1.0 + shift) * value_at(spec, eos, s, x).ln_phi;
        };
        const double numeric = (n_ln_phi(h) - n_ln_phi(-h)) / (2.0 * h);
        EXPECT_NEAR(ln_phi[i], numeric, 1e-7 * std::max(1.0, std::abs(numeric))) << "component " << i;
    }
}

// At a Dual temperature: the values of the double evaluation bit for bit, and
// d ln phi_i/dT against a central difference of step h.
void expect_exact_along_temperature(const MixtureSpec& spec, Eos eos, const State& s, double h = 1e-3,
                                    double tolerance = 1e-7)
{
    BasicComponentParameters<Dual> parameters;
    component_parameters(spec.components, eos, Dual{s.temperature, 1.0}, s.pressure, parameters);
    std::vector<Dual> ln_phi(s.x.size());
    ASSERT_TRUE(mixture_ln_phi(spec, parameters, s.x, s.phase, ln_phi).has_value());
    const auto plain = ln_phi_or_fail(spec, eos, s.temperature, s.pressure, s.x, s.phase);
    const auto up = ln_phi_or_fail(spec, eos, s.temperature + h, s.pressure, s.x, s.phase);
    const auto down = ln_phi_or_fail(spec, eos, s.temperature - h, s.pressure, s.x, s.phase);
    for (std::size_t i = 0; i < s.x.size(); ++i) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(ln_phi[i].value), std::bit_cast<std::uint64_t>(plain[i]));
        const double numeric = (up[i] - down[i]) / (2.0 * h);
        EXPECT_NEAR(ln_phi[i].dt, numeric, tolerance * (1.0 + std::abs(numeric))) << "component " << i;
    }
}

class MixtureFugacity : public ::testing::TestWithParam<RuleCase> {};

TEST_P(MixtureFugacity, IsTheDerivativeOfTheMixtureValue) { for_each_combination(GetParam(), expect_consistent); }

TEST_P(MixtureFugacity, IsExactAlongTheTemperature)
{
    for_each_combination(GetParam(), [](const MixtureSpec& spec, Eos eos, const State& s) {
        expect_exact_along_temperature(spec, eos, s);
    });
}

// SchmidtWenzel with a mixture omega_m at a root of 1 + 18 omega + 9 omega^2
// has U^2 = 4W: the attraction integral takes its coinciding-constants branch,
// while U^2 - 4W still changes with composition (the components' omegas differ).
TEST(MixtureFugacity, CoincidingConstantsBranchOfAMixture)
{
    const double root = -1.0 + std::sqrt(288.0) / 18.0;
    Binary pair = butane_pentane();
    for (const State& s : pair.states) {
        SCOPED_TRACE(s.label);
        // omega_1 fixed, omega_2 solved (by fixed point: A_2 depends on it) so that omega_m is the root.
        pair.components[0].omega = root + 0.03;
        pair.components[1].omega = root;
        for (int pass = 0; pass < 50; ++pass) {
            const auto p = component_parameters(pair.components, Eos::SchmidtWenzel, s.temperature, s.pressure);
            const double w1 = s.x[0] * p.sqrt_a[0], w2 = s.x[1] * p.sqrt_a[1];
            pair.components[1].omega = (root * (w1 + w2) - w1 * pair.components[0].omega) / w2;
        }
        const MixtureSpec spec{.components = pair.components};
        const auto m = mixture_parameters(spec, Eos::SchmidtWenzel, s.temperature, s.pressure, s.x);
        ASSERT_TRUE(m.has_value());
        ASSERT_LE(std::abs(m->u * m->u - 4.0 * m->w), 1e-12 * m->u * m->u);
        expect_consistent(spec, Eos::SchmidtWenzel, s);
        // Close to U^2 = 4W the general branch loses digits to cancellation
        // (about 1e-5 in ln phi where U^2 - 4W is 1e-8 U^2), so the
        // difference steps out to where that no longer shows.
        expect_exact_along_temperature(spec, Eos::SchmidtWenzel, s, 0.1, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(AcceptedRules, MixtureFugacity, ::testing::ValuesIn(accepted_rule_cases()), case_name);

// ---------------------------------------------------------------------------
// Closed forms

// One component: the vapour root gives the pure-component value of every
// variant (the mixture polishes its root, hence the tolerance).
TEST(MixtureFugacity, OneComponentVapourEqualsThePureValue)
{
    Component odd = database("n-butane");
    odd.omega = -0.2;
    const std::vector<std::vector<Component>> singles{{database("n-butane")}, {database("water")}, {odd}};
    for (const auto& one : singles) {
        const MixtureSpec spec{.components = one};
        for (Eos eos : all_eos) {
            for (double p : {20.0, 150.0, 900.0}) {
                SCOPED_TRACE(std::string(name(eos)) + " " + one[0].name + " P=" + std::to_string(p));
                const double pure = pure_ln_phi_vapor(eos, one[0], 360.0, p);
                const auto mixed = ln_phi_or_fail(spec, eos, 360.0, p, {1.0}, Phase::Vapor);
                EXPECT_NEAR(mixed[0], pure, 1e-12 * (1.0 + std::abs(pure)));
            }
        }
    }
}

// PR with Classical mixing is the textbook expression
// (B_i/B)(Z - 1) - ln(Z - B) - A/(2 sqrt2 B) (a_bar_i/A - B_i/B) ln[(Z + (1 + sqrt2)B)/(Z + (1 - sqrt2)B)].
TEST(MixtureFugacity, PengRobinsonClassicalIsTheTextbookFormula)
{
    const Binary binary = methanol_water();
    for (const auto& kij : kij_cases()) {
        if (!is_symmetric(kij)) continue;
        for (const State& s : binary.states) {
            SCOPED_TRACE(s.label);
            const MixtureSpec spec{.components = binary.components, .kij = kij};
            const auto ln_phi = ln_phi_or_fail(spec, Eos::PR1976, s.temperature, s.pressure, s.x, s.phase);

            std::vector<double> a(2), b(2);
            for (int i = 0; i < 2; ++i) {
                const ReducedParameters r = reduced_parameters(Eos::PR1976, binary.components[i], s.temperature,
                                                               s.pressure);
                a[i] = r.a;
                b[i] = r.b;
            }
            double am = 0.0, bm = 0.0;
            std::vector<double> a_bar(2, 0.0);
            for (int i = 0; i < 2; ++i) {
                bm += s.x[i] * b[i];
                for (int j = 0; j < 2; ++j) {
                    const double k = kij.empty() ? 0.0 : kij[i][j];
                    a_bar[i] += 2.0 * s.x[j] * std::sqrt(a[i] * a[j]) * (1.0 - k);
                    am += s.x[i] * s.x[j] * std::sqrt(a[i] * a[j]) * (1.0 - k);
                }
            }
            const double z = phase_root(am, bm, 2.0 * bm, -bm * bm, s.phase);
            const double r2 = std::sqrt(2.0);
            for (int i = 0; i < 2; ++i) {
                const double expected =
                    b[i] / bm * (z - 1.0) - std::log(z - bm) -
                    am / (2.0 * r2 * bm) * (a_bar[i] / am - b[i] / bm) *
                        std::log((z + (1.0 + r2) * bm) / (z + (1.0 - r2) * bm));
                EXPECT_NEAR(ln_phi[i], expected, 1e-11 * (1.0 + std::abs(expected)));
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Root selection

CubicRoots roots(std::initializer_list<double> values)
{
    CubicRoots r;
    for (double v : values) r.roots[r.count++] = v;
    return r;
}

TEST(RootSelection, ChoosesAmongRootsStrictlyAboveB)
{
    struct Case {
        CubicRoots roots;
        double b;
        std::optional<double> vapor, liquid;
    };
    const Case cases[] = {
        {roots({0.05, 0.2, 0.9}), 0.01, 0.9, 0.05},       // three roots above B: the middle one is never used
        {roots({-0.3, 0.04, 0.7}), 0.01, 0.7, 0.04},      // a root below B is ignored
        {roots({0.8}), 0.01, 0.8, 0.8},                   // one root: both phases share it
        {roots({0.01, 0.6}), 0.01, 0.6, 0.6},             // a root equal to B is not above it
        {roots({-0.2, 0.005}), 0.01, std::nullopt, std::nullopt},
        {roots({nan_value, 0.3}), 0.01, 0.3, 0.3},        // NaN loses against any other candidate
        {roots({nan_value}), 0.01, nan_value, nan_value}, // but is kept when alone
    };
    for (const Case& c : cases) {
        for (auto [phase, expected] : {std::pair{Phase::Vapor, c.vapor}, std::pair{Phase::Liquid, c.liquid}}) {
            const auto chosen = select_root(c.roots, c.b, phase);
            ASSERT_EQ(chosen.has_value(), expected.has_value()) << name(phase);
            if (!chosen) continue;
            if (std::isnan(*expected)) EXPECT_TRUE(std::isnan(*chosen));
            else EXPECT_EQ(*chosen, *expected) << name(phase);
        }
    }
}

TEST(RootSelection, TwoPhaseStateGivesDistinctPhasesAndSupercriticalOneShared)
{
    const std::vector<Component> butane{database("n-butane")};
    const MixtureSpec spec{.components = butane};
    // Below the vapour pressure (about 258 kPa at 300 K): three roots above B.
    const auto vapour = ln_phi_or_fail(spec, Eos::PR1976, 300.0, 200.0, {1.0}, Phase::Vapor);
    const auto liquid = ln_phi_or_fail(spec, Eos::PR1976, 300.0, 200.0, {1.0}, Phase::Liquid);
    EXPECT_GT(liquid[0], vapour[0]);  // the liquid is the unstable phase here
    EXPECT_NEAR(vapour[0], pure_ln_phi_vapor(Eos::PR1976, butane[0], 300.0, 200.0), 1e-12);
    // The two-stage form reports the chosen, polished roots.
    const ComponentParameters pre = component_parameters(butane, Eos::PR1976, 300.0, 200.0);
    std::vector<double> out(1);
    double z_vapour = 0.0, z_liquid = 0.0;
    ASSERT_TRUE(mixture_ln_phi(spec, pre, std::vector<double>{1.0}, Phase::Vapor, out, &z_vapour).has_value());
    EXPECT_EQ(out[0], vapour[0]);
    ASSERT_TRUE(mixture_ln_phi(spec, pre, std::vector<double>{1.0}, Phase::Liquid, out, &z_liquid).has_value());
    const ReducedParameters r = reduced_parameters(Eos::PR1976, butane[0], 300.0, 200.0);
    EXPECT_DOUBLE_EQ(z_vapour, phase_root(r.a, r.b, r.u, r.w, Phase::Vapor));
    EXPECT_DOUBLE_EQ(z_liquid, phase_root(r.a, r.b, r.u, r.w, Phase::Liquid));
    EXPECT_LT(z_liquid, 0.1 * z_vapour);
    // Above the critical temperature: one root, identical values.
    const auto v = ln_phi_or_fail(spec, Eos::PR1976, 520.0, 3000.0, {1.0}, Phase::Vapor);
    const auto l = ln_phi_or_fail(spec, Eos::PR1976, 520.0, 3000.0, {1.0}, Phase::Liquid);
    EXPECT_EQ(v, l);
}

// ---------------------------------------------------------------------------
// Errors

TEST(EosErrorText, NamesItsKind)
{
    EXPECT_EQ(EosError::no_real_root(0.0123449, Phase::Liquid).text(),
              "no real root above B=0.012345 for phase Liquid");
    EXPECT_EQ(EosError::no_real_root(3e-9, Phase::Vapor).text(), "no real root above B=0.000000 for phase Vapor");
    EXPECT_EQ(EosError::dimension_mismatch("x").text(), "dimension mismatch: x");
    EXPECT_EQ(EosError::unsupported_combination("y").text(), "unsupported combination: y");
    const CubicError cubic{.kind = CubicError::Kind::NonFinite, .a = 1.0, .b = nan_value, .c = 0.5, .d = 2.0};
    EXPECT_EQ(EosError::cubic_failed(cubic).text(), "cubic solver failed: " + cubic.text());
}

TEST(MixtureFugacity, ShortCompositionFailsBeforeAnyCubic)
{
    const Binary binary = methanol_water();
    const MixtureSpec spec{.components = binary.components};
    const auto result = mixture_ln_phi(spec, Eos::PR1976, 350.0, 101.325, std::vector<double>{1.0}, Phase::Liquid);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, EosError::Kind::DimensionMismatch);
    EXPECT_EQ(result.error().text(), "dimension mismatch: components.len()=2 but composition.len()=1");
}

TEST(MixtureFugacity, FailingSaturationSurfacesAsACubicError)
{
    std::vector<Component> components{database("benzene"), database("toluene")};
    components[1].psat_coeffs = {1.0, 2.0};
    const MixtureSpec spec{.components = components};
    const auto result = mixture_ln_phi(spec, Eos::PROL1998, 380.0, 101.325, std::vector<double>{0.5, 0.5},
                                       Phase::Vapor);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, EosError::Kind::Cubic);
    EXPECT_TRUE(result.error().text().starts_with("cubic solver failed: non-finite coefficient: a=1, b="))
        << result.error().text();
}

TEST(MixtureFugacity, OutputOfTheWrongLengthIsRejected)
{
    const Binary binary = methanol_water();
    const MixtureSpec spec{.components = binary.components};
    const ComponentParameters pre = component_parameters(spec.components, Eos::PR1976, 350.0, 101.325);
    std::vector<double> out(3);
    const auto result = mixture_ln_phi(spec, pre, std::vector<double>{0.5, 0.5}, Phase::Liquid, out);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, EosError::Kind::DimensionMismatch);
}

}  // namespace
}  // namespace kolvar::thermo
