#include "thermo/activity.hpp"
#include "thermo/flash.hpp"
#include "thermo/mixture.hpp"

#include "constants.hpp"
#include "flash/virial.hpp"
#include "flash_test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

KValueResult evaluate(const SystemSpec& spec, double t, double p, const std::vector<double>& known,
                      std::vector<double>& k, Direction direction = Direction::Bubble, unsigned passes = 60)
{
    return value_or_fail(evaluate_k(spec, t, p, known, direction, k, passes));
}

std::vector<double> wilson(const std::vector<Component>& components, double t, double p)
{
    std::vector<double> k;
    for (const Component& c : components) k.push_back(wilson_k(c, t, p));
    return k;
}

TEST(ThermoError, Texts)
{
    const struct {
        ThermoError error;
        const char* text;
    } cases[] = {
        {ThermoError::dimension_mismatch("components=2, x=3, y=2"), "dimension mismatch: components=2, x=3, y=2"},
        {ThermoError::no_convergence("saturation pressure", 200, 1.2344e-5),
         "saturation pressure did not converge in 200 iterations (residual 1.234e-5)"},
        {ThermoError::no_convergence("saturation temperature bracket", 96, nan_value),
         "saturation temperature bracket did not converge in 96 iterations (residual NaN)"},
        {ThermoError{.kind = ThermoError::Kind::RachfordRice, .message = {}, .k_max = 2.5, .k_min = 0.12345},
         "Rachford-Rice has no bracketable root (Kmax=2.5000, Kmin=0.1235)"},
        {ThermoError::evaluation("P_sat(mid) failed"), "thermodynamic evaluation failed: P_sat(mid) failed"},
        {ThermoError::unsupported("dew point flash"), "unsupported: dew point flash"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.error.text(), c.text);
}

TEST(EvaluateK, RefusesMisshapenInputsBeforeAnyEvaluation)
{
    const auto components = mixture({"methanol", "water"});
    const SystemSpec pr = peng_robinson(components);
    const std::vector<std::vector<double>> one_row{{0.0, 1.0}};
    const struct {
        SystemSpec spec;
        std::vector<double> known;
        Direction direction;
        std::size_t k_size;
        const char* text;
    } cases[] = {
        {pr, {0.2, 0.3, 0.5}, Direction::Bubble, 2, "dimension mismatch: components=2, x=3, y=2"},
        {pr, {0.2, 0.3, 0.5}, Direction::Dew, 2, "dimension mismatch: components=2, x=2, y=3"},
        {pr, {1.0}, Direction::Bubble, 2, "dimension mismatch: components=2, x=1, y=2"},
        {pr, {0.5, 0.5}, Direction::Bubble, 3, "dimension mismatch: components=2, K=3"},
        {gamma_phi(components, ActivityModel::VanLaar, one_row, VaporModel::ideal_gas()), {0.5, 0.5},
         Direction::Bubble, 2, "dimension mismatch: activity model VanLaar needs a parameter matrix of at least 2×2"},
    };
    for (const auto& c : cases) {
        std::vector<double> k(c.k_size, 1.0);
        const auto result = evaluate_k(c.spec, 350.0, 100.0, c.known, c.direction, k, 40);
        EXPECT_EQ(error_text(result), c.text);
        EXPECT_EQ(k, std::vector<double>(c.k_size, 1.0)) << "K changed before the checks passed";
    }
}

TEST(EvaluateK, LowerLayerFailuresAreEvaluationErrors)
{
    const auto components = mixture({"methanol", "water"});
    const std::vector<std::vector<double>> short_kij{{0.0, 0.1}};
    SystemSpec pr = peng_robinson(components);
    pr.kij = short_kij;
    std::vector<double> k{1.0, 1.0};
    EXPECT_EQ(error_text(evaluate_k(pr, 350.0, 100.0, std::vector<double>{0.5, 0.5}, Direction::Bubble, k, 40)),
              "thermodynamic evaluation failed: dimension mismatch: kij must be empty or 2×2");

    auto broken = components;
    broken[1].psat_coeffs.clear();
    const SystemSpec ideal = described(broken, liquid::IdealSolution{}, VaporModel::ideal_gas());
    const auto expected = saturation_pressure(SaturationModel::Antoine, broken[1], 350.0);
    ASSERT_FALSE(expected.has_value());
    EXPECT_EQ(error_text(evaluate_k(ideal, 350.0, 100.0, std::vector<double>{0.5, 0.5}, Direction::Bubble, k, 40)),
              "thermodynamic evaluation failed: " + expected.error().text());
}

// With an ideal-gas vapour and no Poynting factor, K_i P / Psat_i is gamma_i:
// 1 for the ideal solution and van Laar with zero parameters.
TEST(EvaluateK, GammaPhiWithIdealGasGivesActivityCoefficients)
{
    const auto components = mixture({"benzene", "toluene"});
    const double t = 360.0;
    const double p = 80.0;
    const std::vector<std::vector<double>> zero{{0.0, 0.0}, {0.0, 0.0}};
    const std::vector<std::vector<double>> van_laar{{0.0, 0.6}, {0.9, 0.0}};
    const SystemSpec cases[] = {
        described(components, liquid::IdealSolution{}, VaporModel::ideal_gas()),
        gamma_phi(components, ActivityModel::VanLaar, zero, VaporModel::ideal_gas()),
        gamma_phi(components, ActivityModel::VanLaar, van_laar, VaporModel::ideal_gas()),
    };
    for (const SystemSpec& spec : cases) {
        for (double x1 : {0.0, 0.3, 0.8}) {
            const std::vector<double> x{x1, 1.0 - x1};
            std::vector<double> ln_gamma_expected(2, 0.0);
            if (std::holds_alternative<liquid::GammaPhi>(spec.liquid))
                ln_gamma(ActivityModel::VanLaar, t, x, spec.activity, ln_gamma_expected);
            std::vector<double> k{1.0, 1.0};
            evaluate(spec, t, p, x, k);
            for (std::size_t i = 0; i < 2; ++i)
                EXPECT_DOUBLE_EQ(k[i] * p / psat(components[i], t), std::exp(ln_gamma_expected[i])) << x1 << " " << i;
        }
    }
}

// An equation-of-state vapour: K_i phi_i^V(y) P = gamma_i phi_i^sat Psat_i,
// with phi^V of the incipient vapour and phi^sat of the pure saturated vapour.
TEST(EvaluateK, GammaPhiWithEquationOfStateVapour)
{
    const auto components = mixture({"methanol", "water"});
    const std::vector<std::vector<double>> parameters{{0.0, 0.58}, {0.35, 0.0}};
    const SystemSpec spec =
        gamma_phi(components, ActivityModel::VanLaar, parameters, VaporModel::equation_of_state(Eos::PR1976));
    const double t = 350.0;
    const double p = 150.0;
    const std::vector<double> x{0.4, 0.6};
    std::vector<double> k = wilson(components, t, p);
    const KValueResult r = evaluate(spec, t, p, x, k);

    std::vector<double> ln_gamma_x(2);
    ln_gamma(ActivityModel::VanLaar, t, x, {parameters, {}, {}}, ln_gamma_x);
    const MixtureSpec vapour_spec{.components = components};
    const std::vector<double> y(r.incipient.begin(), r.incipient.end());
    const auto ln_phi_v = mixture_ln_phi(vapour_spec, Eos::PR1976, t, p, y, Phase::Vapor);
    ASSERT_TRUE(ln_phi_v.has_value());
    for (std::size_t i = 0; i < 2; ++i) {
        const double sat = psat(components[i], t);
        const double phi_sat = std::exp(pure_ln_phi_vapor(Eos::PR1976, components[i], t, sat));
        EXPECT_NEAR(k[i] * std::exp((*ln_phi_v)[i]) * p / (phi_sat * sat), std::exp(ln_gamma_x[i]), 1e-9);
    }
}

// The switch alone decides: volumes carried for an activity model leave the
// factor off, and a component without a volume of its own or in the list
// cannot have one.
TEST(EvaluateK, PoyntingFactorOnlyWhenSwitchedOn)
{
    auto components = mixture({"benzene", "toluene"});
    components[1].liquid_volume.reset();  // falls back to the listed molar volume
    const std::vector<double> volumes{50.0, 120.0};
    const double t = 380.0;
    const double p = 900.0;
    const std::vector<double> x{0.5, 0.5};
    SystemSpec plain = described(components, liquid::IdealSolution{}, VaporModel::ideal_gas());
    plain.activity.molar_volumes = volumes;
    SystemSpec corrected = plain;
    corrected.poynting = true;
    std::vector<double> k_plain{1.0, 1.0};
    std::vector<double> k_corrected{1.0, 1.0};
    evaluate(plain, t, p, x, k_plain);
    evaluate(corrected, t, p, x, k_corrected);
    const double v[] = {89.4, 120.0};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_DOUBLE_EQ(k_plain[i] * p, psat(components[i], t)) << i;
        const double poynting = std::exp((p - psat(components[i], t)) * v[i] * 0.001 / (8.31451 * t));
        EXPECT_DOUBLE_EQ(k_corrected[i] / k_plain[i], poynting) << i;
    }

    const std::vector<double> one_volume{50.0};
    corrected.activity.molar_volumes = one_volume;
    std::vector<double> k{1.0, 1.0};
    EXPECT_EQ(error_text(evaluate_k(corrected, t, p, x, Direction::Bubble, k, 40)),
              "thermodynamic evaluation failed: component \"toluene\" has no liquid volume for the Poynting factor");
}

TEST(EvaluateK, SaturationModelOverridePerComponent)
{
    const auto components = mixture({"benzene", "toluene"});
    const std::vector<SaturationModel> models{SaturationModel::Riedel};
    SystemSpec spec = described(components, liquid::IdealSolution{}, VaporModel::ideal_gas());
    spec.saturation_models = models;
    const double t = 370.0;
    const double p = 100.0;
    std::vector<double> k{1.0, 1.0};
    evaluate(spec, t, p, {0.5, 0.5}, k);
    EXPECT_DOUBLE_EQ(k[0] * p, *saturation_pressure(SaturationModel::Riedel, components[0], t));
    EXPECT_DOUBLE_EQ(k[1] * p, psat(components[1], t));
}

// The Grayson-Streed liquid fugacity nu_i is the same whatever the vapour:
// K_i = nu_i with an ideal gas, and K_i phi_i^V(y) = nu_i with a virial vapour.
TEST(EvaluateK, GraysonStreedLiquidIsIndependentOfTheVapour)
{
    const auto components = mixture({"n-hexane", "n-heptane"});
    const double t = 380.0;
    const double p = 150.0;
    const std::vector<double> x{0.3, 0.7};
    std::vector<double> nu = wilson(components, t, p);
    evaluate(described(components, liquid::GraysonStreed{}, VaporModel::ideal_gas()), t, p, x, nu);

    std::vector<double> k = wilson(components, t, p);
    const KValueResult r =
        evaluate(described(components, liquid::GraysonStreed{}, VaporModel::virial()), t, p, x, k);
    SmallVector<double, 64> b;
    flash::second_virial_matrix(components, t, b);
    std::vector<double> ln_phi_v(2);
    flash::virial_ln_phi(b, r.incipient, t, p, ln_phi_v);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_NEAR(k[i] * std::exp(ln_phi_v[i]) / nu[i], 1.0, 1e-9) << i;
        EXPECT_GT(nu[i], 0.0);
    }
    // The lighter component is the more volatile one.
    EXPECT_GT(nu[0], nu[1]);
}

// ln phi_i of the virial vapour are the partial molar derivatives of the
// mixture's N ln phi = N B P/(RT), and sum y_i ln phi_i = B P/(RT).
TEST(Virial, FugacityCoefficientsAreDerivativesOfTheMixtureValue)
{
    const auto components = mixture({"propane", "n-butane", "n-pentane"});
    const double t = 360.0;
    const double p = 800.0;
    SmallVector<double, 64> b;
    flash::second_virial_matrix(components, t, b);
    const double rt = constants::gas_constant_kpa_cm3 * t;
    auto n_ln_phi = [&](const std::vector<double>& amounts) {
        double total = 0.0;
        for (double a : amounts) total += a;
        double mixture_b = 0.0;
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t j = 0; j < 3; ++j) mixture_b += amounts[i] * amounts[j] * b[i * 3 + j];
        return mixture_b / total * p / rt;  // N B P/(RT) with B from mole fractions
    };
    const std::vector<double> y{0.2, 0.5, 0.3};
    std::vector<double> ln_phi(3);
    flash::virial_ln_phi(b, y, t, p, ln_phi);
    EXPECT_NEAR(y[0] * ln_phi[0] + y[1] * ln_phi[1] + y[2] * ln_phi[2], n_ln_phi(y), 1e-14);
    for (std::size_t i = 0; i < 3; ++i) {
        const double h = 1e-6;
        auto up = y;
        auto down = y;
        up[i] += h;
        down[i] -= h;
        EXPECT_NEAR(ln_phi[i], (n_ln_phi(up) - n_ln_phi(down)) / (2.0 * h), 1e-8) << i;
        EXPECT_LT(ln_phi[i], 0.0) << "subcritical gases have negative second virial coefficients";
    }
    // Unlike pairs use the combined critical constants, like pairs the pure ones.
    EXPECT_DOUBLE_EQ(b[0], flash::second_virial(components[0], t));
    EXPECT_EQ(b[1], b[3]);
}

// Both phases on the single root of the cubic with K = 1 is trivial; a pure
// component at its saturation pressure has K = 1 too, but on two roots.
TEST(EvaluateK, TrivialOnlyWhenBothPhasesShareTheRoot)
{
    const auto pair = mixture({"methane", "n-hexane"});
    std::vector<double> k{1.0, 1.0};
    EXPECT_TRUE(evaluate(peng_robinson(pair), 480.0, 8021.0, {0.05, 0.95}, k).trivial);

    const auto water = mixture({"water"});
    const SystemSpec pr = peng_robinson(water);
    const auto saturation = bubble_pressure(pr, 373.0, std::vector<double>{1.0}, Direction::Bubble, 1e-10, 200);
    ASSERT_TRUE(saturation.has_value()) << saturation.error().text();
    std::vector<double> k_water{1.0};
    EXPECT_FALSE(evaluate(pr, 373.0, saturation->value, {1.0}, k_water).trivial);
    EXPECT_NEAR(std::log(k_water[0]), 0.0, 1e-8);

    // Only the phi-phi route can be trivial.
    std::vector<double> k_ideal{1.0};
    const SystemSpec ideal = described(water, liquid::IdealSolution{}, VaporModel::ideal_gas());
    EXPECT_FALSE(evaluate(ideal, 373.0, psat(water[0], 373.0), {1.0}, k_ideal).trivial);
}

// The cached evaluation (parameters once per call, the given phase once) is
// the pass-by-pass definition, bit for bit.
TEST(EvaluateK, EqualsThePassByPassDefinitionBitForBit)
{
    const auto components = mixture({"methanol", "water"});
    const SystemSpec spec = peng_robinson(components);
    const MixtureSpec mixture_spec{.components = components};
    const double t = 345.0;
    const double p = 90.0;
    for (Direction direction : {Direction::Bubble, Direction::Dew}) {
        const bool bubble = direction == Direction::Bubble;
        const std::vector<double> known{0.3, 0.7};
        std::vector<double> k = wilson(components, t, p);
        std::vector<double> reference_k = k;
        const unsigned passes = 40;
        const KValueResult r = evaluate(spec, t, p, known, k, direction, passes);

        double sum = 0.0;
        std::vector<double> other(2);
        for (unsigned pass = 0; pass < passes; ++pass) {
            sum = 0.0;
            for (std::size_t i = 0; i < 2; ++i) {
                other[i] = bubble ? reference_k[i] * known[i] : known[i] / reference_k[i];
                sum += other[i];
            }
            for (double& w : other) w /= sum;
            const auto& y = bubble ? other : known;
            const auto& x = bubble ? known : other;
            const auto ln_v = mixture_ln_phi(mixture_spec, Eos::PR1976, t, p, y, Phase::Vapor).value();
            const auto ln_l = mixture_ln_phi(mixture_spec, Eos::PR1976, t, p, x, Phase::Liquid).value();
            double change = 0.0;
            for (std::size_t i = 0; i < 2; ++i) {
                const double updated = std::exp(ln_l[i] - ln_v[i]);
                change = std::max(change, std::abs(std::log(updated / reference_k[i])));
                reference_k[i] = updated;
            }
            if (change < 1e-10) break;
        }
        EXPECT_EQ(std::bit_cast<std::uint64_t>(r.sum), std::bit_cast<std::uint64_t>(sum));
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(k[i]), std::bit_cast<std::uint64_t>(reference_k[i]));
            EXPECT_EQ(std::bit_cast<std::uint64_t>(r.incipient[i]), std::bit_cast<std::uint64_t>(other[i]));
        }
    }
}

TEST(EvaluateK, NoPassesLeavesKAndReportsItsSum)
{
    const auto components = mixture({"methanol", "water"});
    std::vector<double> k{2.0, 0.5};
    const KValueResult r = evaluate(peng_robinson(components), 350.0, 100.0, {0.25, 0.75}, k, Direction::Bubble, 0);
    EXPECT_EQ(k, (std::vector<double>{2.0, 0.5}));
    EXPECT_DOUBLE_EQ(r.sum, 0.875);
    EXPECT_DOUBLE_EQ(r.incipient[0], 0.5 / 0.875);
    EXPECT_FALSE(r.trivial);
}

}  // namespace
}  // namespace kolvar::thermo
