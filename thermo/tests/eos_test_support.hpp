// Shared fixtures of the equation-of-state, mixing-rule and fugacity tests:
// database binaries with plausible activity-model inputs, states, and an
// independent evaluation of the mixture's ln phi (numerical quadrature of the
// attraction integral) for derivative checks.
#pragma once

#include "thermo/component.hpp"
#include "thermo/cubic.hpp"
#include "thermo/eos.hpp"
#include "thermo/mixing_rule.hpp"
#include "thermo/phase.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace kolvar::thermo::testing {

inline Component database(const std::string& name)
{
    auto found = find_component(name);
    if (!found) ADD_FAILURE() << found.error().text();
    return found ? *found : Component{};
}

inline constexpr std::array<Eos, eos_count> all_eos{
    Eos::PR1976,      Eos::RK1949,      Eos::RKS1972,       Eos::VdW1870,     Eos::PRL1997,    Eos::RKSL1997,
    Eos::RKSGD1978,   Eos::RP1978,      Eos::Berth1899,     Eos::VdWAda1984,  Eos::VdWVald1989, Eos::RKSmn1980,
    Eos::RKSATmn1995, Eos::PRATmng1997, Eos::PRMmn1989,     Eos::PRSV1986,    Eos::VdWOL1998,  Eos::RKOL1998,
    Eos::PROL1998,    Eos::SchmidtWenzel, Eos::PatelTeja,   Eos::PatelTejaUSB,
};

inline constexpr std::array<ActivityModel, 4> ge_models{ActivityModel::VanLaar, ActivityModel::Wilson,
                                                        ActivityModel::RegularSolution, ActivityModel::Margules};

struct State {
    const char* label;
    double temperature;
    double pressure;
    std::vector<double> x;
    Phase phase;
};

// A binary with activity-model inputs for every model (the same matrix serves
// VanLaar and Margules as dimensionless, Wilson as energies in J/mol).
struct Binary {
    std::string label;
    std::vector<Component> components;
    std::vector<std::vector<double>> dimensionless;  // VanLaar, Margules
    std::vector<std::vector<double>> wilson;         // J/mol
    std::vector<double> volumes;                     // cm3/mol
    std::vector<double> solubility;                  // (cal/cm3)^0.5
    std::vector<State> states;

    ActivityInputs activity(ActivityModel model) const
    {
        return {model == ActivityModel::Wilson ? wilson : dimensionless, volumes, solubility};
    }
};

inline Binary methanol_water()
{
    return {"methanol/water",
            {database("methanol"), database("water")},
            {{0.0, 0.58}, {0.46, 0.0}},
            {{0.0, 450.0}, {2200.0, 0.0}},
            {40.7, 18.07},
            {14.5, 23.4},
            {{"vapour", 380.0, 101.325, {0.6, 0.4}, Phase::Vapor},
             {"liquid", 340.0, 101.325, {0.3, 0.7}, Phase::Liquid}}};
}

inline Binary butane_pentane()
{
    return {"n-butane/n-pentane",
            {database("n-butane"), database("n-pentane")},
            {{0.0, 0.05}, {0.04, 0.0}},
            {{0.0, 150.0}, {-100.0, 0.0}},
            {100.4, 116.1},
            {6.7, 7.0},
            {{"vapour", 340.0, 150.0, {0.45, 0.55}, Phase::Vapor},
             {"liquid", 300.0, 800.0, {0.35, 0.65}, Phase::Liquid}}};
}

// Hypothetical compounds with a negative acentric factor: for the PatelTeja
// family C < 0 and U^2 < 4W, so the attraction integral takes its arctangent
// branch.
inline Binary negative_omega_pair()
{
    Binary pair = butane_pentane();
    pair.label = "negative-omega pair";
    pair.components[0].omega = -0.2;
    pair.components[1].omega = -0.25;
    return pair;
}

inline const std::vector<std::vector<std::vector<double>>>& kij_cases()
{
    static const std::vector<std::vector<std::vector<double>>> cases{
        {}, {{0.0, 0.08}, {0.08, 0.0}}, {{0.0, 0.08}, {-0.03, 0.0}}};
    return cases;
}

inline bool is_symmetric(const std::vector<std::vector<double>>& kij)
{
    for (std::size_t i = 0; i < kij.size(); ++i)
        for (std::size_t j = 0; j < kij.size(); ++j)
            if (kij[i][j] != kij[j][i]) return false;
    return true;
}

// Rules whose sums use the symmetric part of kij, or both entries in a way
// that keeps the derivatives exact: they are checked with an asymmetric kij.
inline bool takes_asymmetric_kij(MixingRule rule)
{
    return rule == MixingRule::Classical || rule == MixingRule::IVDW || rule == MixingRule::IIVDW ||
           rule == MixingRule::WongSandler;
}

// One accepted rule choice: an a/b rule, or a GE-based rule with its model.
struct RuleCase {
    MixingRule rule;
    std::optional<ActivityModel> model;
};

inline std::vector<RuleCase> accepted_rule_cases()
{
    std::vector<RuleCase> cases{{MixingRule::Classical, {}}, {MixingRule::IVDW, {}}, {MixingRule::IIVDW, {}}};
    for (MixingRule rule : {MixingRule::WongSandler, MixingRule::HuronVidalOriginal, MixingRule::HuronVidalSimplified,
                            MixingRule::MHV1, MixingRule::MHV2})
        for (ActivityModel model : ge_models) cases.push_back({rule, model});
    return cases;
}

inline std::string case_name(const ::testing::TestParamInfo<RuleCase>& info)
{
    std::string text = name(info.param.rule);
    if (info.param.model) text += std::string("_") + name(*info.param.model);
    return text;
}

// Calls f(spec, eos, state) for every binary, equation of state, state and
// kij that the rule case accepts (three-parameter variants only with the a/b
// rules; the asymmetric kij only where the rule keeps exact derivatives).
template <class F>
void for_each_combination(const RuleCase& rc, F f)
{
    std::vector<Binary> binaries{methanol_water(), butane_pentane()};
    if (!rc.model) binaries.push_back(negative_omega_pair());
    for (const Binary& binary : binaries) {
        for (Eos eos : all_eos) {
            if (rc.model && is_three_parameter(eos)) continue;
            for (const State& state : binary.states) {
                for (const auto& kij : kij_cases()) {
                    if (!is_symmetric(kij) && !takes_asymmetric_kij(rc.rule)) continue;
                    MixtureSpec spec{.components = binary.components, .kij = kij, .rule = rc.rule};
                    if (rc.model) {
                        spec.ge = GeSpec{*rc.model};
                        spec.activity = binary.activity(*rc.model);
                    }
                    SCOPED_TRACE(binary.label + ", " + name(eos) + ", " + state.label + ", kij " +
                                 (kij.empty() ? "empty" : is_symmetric(kij) ? "symmetric" : "asymmetric"));
                    f(spec, eos, state);
                }
            }
        }
    }
}

// Composite Gauss-Legendre quadrature of f on [lo, hi].
template <class F>
double integrate(F f, double lo, double hi)
{
    constexpr int order = 10;
    constexpr int panels = 24;
    static const auto rule = [] {
        std::array<std::pair<double, double>, order> nodes{};
        for (int k = 0; k < order; ++k) {
            double t = std::cos(std::numbers::pi * (k + 0.75) / (order + 0.5));
            double dp = 0.0;
            for (int it = 0; it < 100; ++it) {
                double p0 = 1.0, p1 = t;
                for (int m = 2; m <= order; ++m) {
                    const double p2 = ((2.0 * m - 1.0) * t * p1 - (m - 1.0) * p0) / m;
                    p0 = p1;
                    p1 = p2;
                }
                dp = order * (t * p1 - p0) / (t * t - 1.0);
                const double step = p1 / dp;
                t -= step;
                if (std::abs(step) < 1e-16) break;
            }
            nodes[k] = {t, 2.0 / ((1.0 - t * t) * dp * dp)};
        }
        return nodes;
    }();
    const double width = (hi - lo) / panels;
    double sum = 0.0;
    for (int p = 0; p < panels; ++p) {
        const double mid = lo + (p + 0.5) * width;
        for (const auto& [t, weight] : rule) sum += weight * f(mid + 0.5 * width * t);
    }
    return sum * 0.5 * width;
}

// The phase's compressibility root of a mixture, polished like the library.
inline double phase_root(double a, double b, double u, double w, Phase phase)
{
    const CubicCoefficients k = cubic_coefficients(a, b, u, w);
    const auto roots = solve_monic_cubic(k.c2, k.c1, k.c0);
    if (!roots) return std::numeric_limits<double>::quiet_NaN();
    double chosen = std::numeric_limits<double>::quiet_NaN();
    for (unsigned i = 0; i < roots->count; ++i) {
        const double z = roots->roots[i];
        if (z <= b) continue;
        if (std::isnan(chosen) || (phase == Phase::Vapor ? z > chosen : z < chosen)) chosen = z;
    }
    for (int step = 0; step < 3 && !std::isnan(chosen); ++step)
        chosen -= (((chosen + k.c2) * chosen + k.c1) * chosen + k.c0) / ((3.0 * chosen + 2.0 * k.c2) * chosen + k.c1);
    return chosen;
}

// g = integral from Z to infinity of dZ'/(Z'^2 + U Z' + W), as the integral of
// 1/(1 + U t + W t^2) over t = 1/Z' from 0 to 1/Z.
inline double attraction_integral(double z, double u, double w)
{
    return integrate([&](double t) { return 1.0 / (1.0 + u * t + w * t * t); }, 0.0, 1.0 / z);
}

// ln phi of the mixture as a whole, Z - 1 - ln(Z - B) - A g, with its parts.
struct MixtureValue {
    double ln_phi;
    double scale;  // sum of the magnitudes of the terms
};

inline MixtureValue mixture_value(const MixtureParameters& m, Phase phase)
{
    const double z = phase_root(m.a, m.b, m.u, m.w, phase);
    const double ag = m.a * attraction_integral(z, m.u, m.w);
    const double log_term = std::log(z - m.b);
    return {z - 1.0 - log_term - ag, 1.0 + std::abs(z) + std::abs(log_term) + std::abs(ag)};
}

}  // namespace kolvar::thermo::testing
