// UNIFAC and UNIFAC-Dortmund against their formulas written out term by term
// from the published numbers, and the identity of two compounds made of the
// same groups in the same proportion.
#include "thermo/activity.hpp"
#include "thermo/component.hpp"
#include "thermo/group_contribution.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

// A small group system spelled out: per subgroup its main group, R and Q;
// per component its counts; Psi between main groups.
struct Spelled {
    bool dortmund;
    std::vector<int> main;
    std::vector<double> big_r;
    std::vector<double> big_q;
    std::vector<std::vector<double>> nu;                  // nu[i][k]
    std::vector<std::vector<std::array<double, 3>>> abc;  // by main-group index

    double psi(int m, int n, double t) const
    {
        const auto& p = abc[m][n];
        return std::exp(-(p[0] + p[1] * t + p[2] * t * t) / t);
    }

    // ln Gamma_k of the groups at composition x (a pure component: a unit x).
    std::vector<double> ln_big_gamma(const std::vector<double>& x, double t) const
    {
        const std::size_t k_count = big_q.size();
        std::vector<double> big_x(k_count, 0.0), theta(k_count), out(k_count);
        double all = 0.0;
        for (std::size_t i = 0; i < x.size(); ++i)
            for (std::size_t k = 0; k < k_count; ++k) all += nu[i][k] * x[i];
        for (std::size_t i = 0; i < x.size(); ++i)
            for (std::size_t k = 0; k < k_count; ++k) big_x[k] += nu[i][k] * x[i] / all;
        double area = 0.0;
        for (std::size_t k = 0; k < k_count; ++k) area += big_q[k] * big_x[k];
        for (std::size_t k = 0; k < k_count; ++k) theta[k] = big_q[k] * big_x[k] / area;
        for (std::size_t k = 0; k < k_count; ++k) {
            double first = 0.0, second = 0.0;
            for (std::size_t m = 0; m < k_count; ++m) {
                first += theta[m] * psi(main[m], main[k], t);
                double denominator = 0.0;
                for (std::size_t n = 0; n < k_count; ++n) denominator += theta[n] * psi(main[n], main[m], t);
                second += theta[m] * psi(main[k], main[m], t) / denominator;
            }
            out[k] = big_q[k] * (1.0 - std::log(first) - second);
        }
        return out;
    }

    std::vector<double> ln_gamma(const std::vector<double>& x, double t) const
    {
        const std::size_t n = x.size();
        std::vector<double> r(n, 0.0), q(n, 0.0), out(n);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t k = 0; k < big_q.size(); ++k) {
                r[i] += nu[i][k] * big_r[k];
                q[i] += nu[i][k] * big_q[k];
            }
        double sum_r = 0.0, sum_q = 0.0, sum_r34 = 0.0;
        for (std::size_t j = 0; j < n; ++j) {
            sum_r += x[j] * r[j];
            sum_q += x[j] * q[j];
            sum_r34 += x[j] * std::pow(r[j], 0.75);
        }
        const auto mixture = ln_big_gamma(x, t);
        for (std::size_t i = 0; i < n; ++i) {
            const double v = r[i] / sum_r, f = q[i] / sum_q;
            const double v_prime = dortmund ? std::pow(r[i], 0.75) / sum_r34 : v;
            const double combinatorial = 1.0 - v_prime + std::log(v_prime) - 5.0 * q[i] * (1.0 - v / f + std::log(v / f));
            std::vector<double> unit(n, 0.0);
            unit[i] = 1.0;
            const auto pure = ln_big_gamma(unit, t);
            double residual = 0.0;
            for (std::size_t k = 0; k < big_q.size(); ++k) residual += nu[i][k] * (mixture[k] - pure[k]);
            out[i] = combinatorial + residual;
        }
        return out;
    }
};

std::vector<double> computed(ActivityModel model, const std::vector<Component>& components, const std::vector<double>& x,
                             double t)
{
    const auto groups = prepare_groups(*group_model(model), components);
    EXPECT_TRUE(groups.has_value());
    std::vector<double> out(x.size());
    ActivityInputs inputs;
    inputs.groups = &*groups;
    ln_gamma(model, t, x, inputs, std::span<double>(out));
    return out;
}

// Subgroups CH3, CH2, OH (OH(P)), H2O in main groups CH2, OH, H2O, with the
// published R, Q and interactions of both tables.
TEST(Unifac, MatchesTheFormulasWrittenOut)
{
    const std::vector<std::vector<double>> nu = {{1, 1, 1, 0}, {0, 0, 0, 1}, {2, 3, 0, 0}};  // ethanol, water, n-pentane
    const Spelled original{false,
                           {0, 0, 1, 2},
                           {0.9011, 0.6744, 1.0, 0.92},
                           {0.848, 0.54, 1.2, 1.4},
                           nu,
                           {{{0, 0, 0}, {986.5, 0, 0}, {1318.0, 0, 0}},
                            {{156.4, 0, 0}, {0, 0, 0}, {353.5, 0, 0}},
                            {{300.0, 0, 0}, {-229.1, 0, 0}, {0, 0, 0}}}};
    const Spelled dortmund{true,
                           {0, 0, 1, 2},
                           {0.6325, 0.6325, 1.2302, 1.7334},
                           {1.0608, 0.7081, 0.8927, 2.4561},
                           nu,
                           {{{0, 0, 0}, {2777.0, -4.674, 0.001551}, {1391.3, -3.6156, 0.001144}},
                            {{1606.0, -4.746, 0.0009181}, {0, 0, 0}, {-801.9, 3.824, -0.007514}},
                            {{-17.253, 0.8389, 0.0009021}, {1460.0, -8.673, 0.01641}, {0, 0, 0}}}};
    const auto all = find_components(std::vector<std::string>{"ethanol", "water", "n-pentane"}).value();
    for (const auto& [model, spelled] : {std::pair{ActivityModel::UNIFAC, &original},
                                         std::pair{ActivityModel::UNIFACDortmund, &dortmund}}) {
        for (const std::vector<double>& x : {std::vector<double>{0.3, 0.7}, std::vector<double>{0.0, 1.0},
                                             std::vector<double>{0.2, 0.5, 0.3}, std::vector<double>{0.6, 0.0, 0.4}}) {
            const std::vector<Component> components(all.begin(), all.begin() + static_cast<long>(x.size()));
            Spelled sized = *spelled;
            sized.nu.resize(x.size());
            const auto expected = sized.ln_gamma(x, 345.0);
            const auto got = computed(model, components, x, 345.0);
            for (std::size_t i = 0; i < x.size(); ++i)
                EXPECT_NEAR(got[i], expected[i], 1e-12 * (1.0 + std::abs(expected[i])))
                    << name(model) << " n = " << x.size() << " x0 = " << x[0] << " i = " << i;
        }
    }
}

// Two compounds of the same groups in the same proportion have the same
// group fractions as their mixture: the residual part vanishes and ln gamma
// is the combinatorial part alone, at infinite dilution too.
TEST(Unifac, SameGroupsInTheSameProportionLeaveOnlyTheCombinatorialPart)
{
    const auto compound = [](const char* name, double tc, GroupMapping groups) {
        return component_from_constants({{"name", std::string(name)},
                                         {"tc", tc},
                                         {"pc", 5000.0},
                                         {"omega", 0.5},
                                         {"zc", 0.25},
                                         {"vc", 200.0},
                                         {"tb", 350.0},
                                         {"mw", 50.0},
                                         {"psat_coeffs", std::vector<double>{7.0, 3500.0, -40.0}},
                                         {"cp_coeffs", std::vector<double>{4.0, 0.0, 0.0, 0.0, 0.0}},
                                         {"unifac_groups", groups},
                                         {"dortmund_groups", groups}})
            .value();
    };
    const std::vector<Component> components = {compound("small", 500.0, {{"CH3", 1}, {"2", 1}, {"ch2=ch", 1}}),
                                               compound("large", 600.0, {{"CH3", 2}, {"CH2", 2}, {"5", 2}})};
    for (ActivityModel model : {ActivityModel::UNIFAC, ActivityModel::UNIFACDortmund}) {
        const auto groups = prepare_groups(*group_model(model), components).value();
        const double exponent = model == ActivityModel::UNIFACDortmund ? 0.75 : 1.0;
        for (double x1 : {0.0, 0.35, 1.0}) {
            const std::vector<double> x = {x1, 1.0 - x1};
            const auto got = computed(model, components, x, 330.0);
            const double sum_r = x[0] * groups.r[0] + x[1] * groups.r[1];
            const double sum_q = x[0] * groups.q[0] + x[1] * groups.q[1];
            const double sum_rc = x[0] * std::pow(groups.r[0], exponent) + x[1] * std::pow(groups.r[1], exponent);
            for (int i = 0; i < 2; ++i) {
                const double v = groups.r[i] / sum_r, f = groups.q[i] / sum_q;
                const double vc = std::pow(groups.r[i], exponent) / sum_rc;
                const double combinatorial = 1.0 - vc + std::log(vc) - 5.0 * groups.q[i] * (1.0 - v / f + std::log(v / f));
                EXPECT_NEAR(got[i], combinatorial, 1e-13) << name(model) << " x1 = " << x1 << " i = " << i;
            }
        }
    }
}

}  // namespace
}  // namespace kolvar::thermo
