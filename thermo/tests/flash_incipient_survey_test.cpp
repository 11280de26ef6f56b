// Every pair of the component table, Peng-Robinson in both phases: the public
// bubble- and dew-point solvers against the general procedures (grid scan with
// bisection on T, substitution on P) that were the only ones before the
// Newton fast path. Each case is counted as
//   same          both give a point, within 1e-6 K in T (1e-8 relative in P)
//                 and 1e-8 in the incipient composition;
//   newly found   the general procedure gives none, or gives no equilibrium
//                 (the K = 1 solution, or its way there), and the public
//                 solver a genuine one:
//                 sum K x (sum y/K) within 1e-9 of 1, equal fugacities (ln within
//                 1e-8), not K = 1 on one root (some |ln K| or the relative
//                 gap between the roots above 1e-5), checked with the general
//                 fugacity routine;
//   same failure  neither gives a point, with the same error kind;
//   anything else which must not happen.
#include "thermo/dew_point.hpp"
#include "thermo/flash.hpp"
#include "thermo/mixture.hpp"

#include "db/component_table.hpp"
#include "flash/general_solvers.hpp"
#include "flash/ideal_vapour_bubble.hpp"
#include "flash_test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;
using Solve = std::expected<IncipientPoint, ThermoError>;

constexpr double distinct_tolerance = 1e-5;

// Every compound, lightest (lowest normal boiling point) first.
std::vector<Component> table_by_boiling_point()
{
    std::vector<Component> all;
    for (const auto& [name, component] : db::component_table().by_name) all.push_back(component);
    std::sort(all.begin(), all.end(), [](const Component& a, const Component& b) {
        return a.tb != b.tb ? a.tb < b.tb : a.name < b.name;
    });
    return all;
}

struct Assessment {
    bool distinct = false;       // not K = 1 with both phases on one root
    bool equilibrium = false;    // distinct with equal fugacities
    bool genuine = false;        // an equilibrium with sum K x = 1
};

// For a dew point `known` is the vapour and the point's `y` the incipient liquid.
Assessment assess(const std::vector<Component>& pair, Direction direction, double t, double p,
                  const std::vector<double>& known, const IncipientPoint& point)
{
    const bool bubble = direction == Direction::Bubble;
    const std::vector<double>& x = bubble ? known : point.y;
    const std::vector<double>& y = bubble ? point.y : known;
    const MixtureSpec mixture{.components = pair};
    const ComponentParameters parameters = component_parameters(pair, Eos::PR1976, t, p);
    std::vector<double> liquid(2), vapour(2);
    double z_liquid = 0.0, z_vapour = 0.0;
    if (!mixture_ln_phi(mixture, parameters, x, Phase::Liquid, liquid, &z_liquid) ||
        !mixture_ln_phi(mixture, parameters, y, Phase::Vapor, vapour, &z_vapour))
        return {};
    double sum = 0.0, fugacity_gap = 0.0, ln_k = 0.0;
    for (std::size_t i = 0; i < 2; ++i) {
        sum += bubble ? point.k[i] * known[i] : known[i] / point.k[i];
        ln_k = std::max(ln_k, std::abs(std::log(point.k[i])));
        if (x[i] > 0.0 && y[i] > 0.0)
            fugacity_gap = std::max(fugacity_gap, std::abs(std::log(x[i]) + liquid[i] - std::log(y[i]) - vapour[i]));
    }
    Assessment a;
    a.distinct = ln_k > distinct_tolerance ||
                 std::abs(z_liquid - z_vapour) > distinct_tolerance * std::max(z_liquid, z_vapour);
    a.equilibrium = a.distinct && fugacity_gap <= 1e-8;
    a.genuine = a.equilibrium && std::abs(sum - 1.0) <= 1e-9;
    return a;
}

struct Tally {
    int same = 0;
    int found = 0;
    int same_failure = 0;
    int reference_trivial = 0;  // general procedure's "bubble points" that were no equilibrium
    double largest_gap = 0.0;    // among the same answers
    double largest_y_gap = 0.0;
    std::vector<std::string> anything_else;
};

// `value_tolerance` is absolute for T, relative for P.
void classify(Tally& tally, const std::string& label, const std::vector<Component>& pair, Direction direction,
              bool solves_pressure, double given, const std::vector<double>& x, const Solve& reference,
              const Solve& solved, double value_tolerance)
{
    auto assessed = [&](const IncipientPoint& p) {
        return solves_pressure ? assess(pair, direction, given, p.value, x, p)
                               : assess(pair, direction, p.value, given, x, p);
    };
    // The general procedures' own final sums are held to their tolerances
    // (1e-6 for the scan), so a result of theirs counts as a bubble point
    // when it is an equilibrium of distinct phases.
    const bool reference_answer = reference && assessed(*reference).equilibrium;
    if (reference && !reference_answer) ++tally.reference_trivial;

    if (solved && reference_answer) {
        const double scale = solves_pressure ? reference->value : 1.0;
        const double gap = std::abs(solved->value - reference->value) / scale;
        const double y_gap = std::max(std::abs(solved->y[0] - reference->y[0]), std::abs(solved->y[1] - reference->y[1]));
        if (gap <= value_tolerance && y_gap <= 1e-8) {
            ++tally.same;
            tally.largest_gap = std::max(tally.largest_gap, gap);
            tally.largest_y_gap = std::max(tally.largest_y_gap, y_gap);
        }
        else tally.anything_else.push_back(label + ": " + std::to_string(solved->value) + " instead of " +
                                           std::to_string(reference->value));
    }
    else if (solved) {
        if (assessed(*solved).genuine) ++tally.found;
        else tally.anything_else.push_back(label + ": " + std::to_string(solved->value) + " is no genuine bubble point");
    }
    else if (reference_answer) {
        tally.anything_else.push_back(label + ": lost " + std::to_string(reference->value) + ", " +
                                      solved.error().text());
    }
    else {
        // A general result without equilibrium is refused: as the trivial
        // solution (Evaluation) or as a bubble point that did not converge.
        const ThermoError::Kind kind = solved.error().kind;
        const bool same = reference ? kind == ThermoError::Kind::Evaluation || kind == ThermoError::Kind::NoConvergence
                                    : kind == reference.error().kind;
        if (same) ++tally.same_failure;
        else tally.anything_else.push_back(label + ": " + solved.error().text());
    }
}

void report(const char* what, const Tally& tally)
{
    std::printf("%s: same %d, newly found %d, same failure %d, anything else %zu\n"
                "  (general procedure's results without equilibrium among them: %d; largest differences of the same answers: "
                "%.2g in the solved value, %.2g in y)\n",
                what, tally.same, tally.found, tally.same_failure, tally.anything_else.size(), tally.reference_trivial,
                tally.largest_gap, tally.largest_y_gap);
    for (const std::string& line : tally.anything_else) ADD_FAILURE() << line;
}

template <class Case>
void every_pair(Case&& run)
{
    const std::vector<Component> all = table_by_boiling_point();
    for (std::size_t i = 0; i < all.size(); ++i) {
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            const std::vector<Component> pair{all[i], all[j]};
            for (double light : {0.05, 0.5, 0.95}) run(pair, std::vector<double>{light, 1.0 - light});
        }
    }
}

std::string label_of(const std::vector<Component>& pair, double given, const std::vector<double>& x)
{
    return pair[0].name + "/" + pair[1].name + " at " + std::to_string(given) + ", x = " + std::to_string(x[0]);
}

struct Survey {
    const char* what;
    Direction direction;
    bool solves_pressure;
};

class IncipientSurvey : public ::testing::TestWithParam<Survey> {};

// Temperatures at 10, 101.325, 1000 and 3000 kPa; pressures at 150, 250, 350
// and 450 K.
TEST_P(IncipientSurvey, AgreesWithTheGeneralProcedure)
{
    const Survey survey = GetParam();
    Tally tally;
    every_pair([&](const std::vector<Component>& pair, const std::vector<double>& composition) {
        const SystemSpec spec = peng_robinson(pair);
        const auto conditions = survey.solves_pressure ? std::vector<double>{150.0, 250.0, 350.0, 450.0}
                                                       : std::vector<double>{10.0, 101.325, 1000.0, 3000.0};
        for (double given : conditions) {
            const bool bubble = survey.direction == Direction::Bubble;
            Solve reference = survey.solves_pressure
                                  ? flash::substitution_bubble_pressure(spec, given, composition, survey.direction,
                                                                        1e-9, 200)
                                  : flash::incipient_temperature(spec, given, composition, survey.direction, 1e-9, 200);
            Solve solved = survey.solves_pressure
                               ? (bubble ? bubble_pressure(spec, given, composition, Direction::Bubble, 1e-9, 200)
                                         : dew_pressure(spec, given, composition, 1e-9, 200))
                               : (bubble ? bubble_temperature(spec, given, composition, 1e-9, 200)
                                         : dew_temperature(spec, given, composition, 1e-9, 200));
            classify(tally, label_of(pair, given, composition), pair, survey.direction, survey.solves_pressure, given,
                     composition, reference, solved, survey.solves_pressure ? 1e-8 : 1e-6);
        }
    });
    report(survey.what, tally);
}

INSTANTIATE_TEST_SUITE_P(Flash, IncipientSurvey,
                         ::testing::Values(Survey{"bubble temperature", Direction::Bubble, false},
                                           Survey{"bubble pressure", Direction::Bubble, true},
                                           Survey{"dew temperature", Direction::Dew, false},
                                           Survey{"dew pressure", Direction::Dew, true}));

// Every pair of the table as an ideal solution and as van Laar, Wilson and
// NRTL liquids under an ideal gas, at 10, 101.325 and 1000 kPa: the public
// bubble temperature (Newton on 1/T for these systems) is the scan's to
// 1e-6 K and 1e-8 in y, or both fail; and Newton answers every case.
TEST(IncipientSurvey, ActivityLiquidsUnderAnIdealGasAgreeWithTheScan)
{
    const std::vector<std::vector<double>> van_laar{{0.0, 0.9}, {1.4, 0.0}}, wilson{{0.0, 900.0}, {1800.0, 0.0}},
        nrtl_a{{0.0, -0.8}, {3.4, 0.0}}, nrtl_b{{0.0, 246.0}, {-586.0, 0.0}}, alpha{{0.0, 0.3}, {0.3, 0.0}};
    const std::vector<double> volumes{60.0, 90.0};
    int same = 0;
    int failures = 0;
    int fast = 0;
    every_pair([&](const std::vector<Component>& pair, const std::vector<double>& x) {
        std::vector<SystemSpec> specs{described(pair, liquid::IdealSolution{}, VaporModel::ideal_gas()),
                                      gamma_phi(pair, ActivityModel::VanLaar, van_laar, VaporModel::ideal_gas()),
                                      gamma_phi(pair, ActivityModel::Wilson, wilson, VaporModel::ideal_gas()),
                                      gamma_phi(pair, ActivityModel::NRTL, nrtl_a, VaporModel::ideal_gas())};
        specs[2].activity.molar_volumes = volumes;
        specs[3].activity.b = nrtl_b;
        specs[3].activity.alpha = alpha;
        for (const SystemSpec& spec : specs) {
            for (double p : {10.0, 101.325, 1000.0}) {
                const Solve reference = flash::incipient_temperature(spec, p, x, Direction::Bubble, 1e-9, 200);
                const Solve solved = bubble_temperature(spec, p, x, 1e-9, 200);
                fast += flash::ideal_vapour_bubble_temperature(spec, p, x, 1e-9, 200).has_value();
                const std::string label = label_of(pair, p, x);
                ASSERT_EQ(solved.has_value(), reference.has_value()) << label;
                if (!solved) {
                    ++failures;
                    continue;
                }
                ASSERT_NEAR(solved->value, reference->value, 1e-6) << label;
                for (std::size_t i = 0; i < 2; ++i) ASSERT_NEAR(solved->y[i], reference->y[i], 1e-8) << label;
                ++same;
            }
        }
    });
    std::printf("activity liquids: same %d (by Newton %d), both failed %d\n", same, fast, failures);
    EXPECT_EQ(fast, same);
}

}  // namespace
}  // namespace kolvar::thermo
