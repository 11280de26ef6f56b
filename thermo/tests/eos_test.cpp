#include "thermo/eos.hpp"

#include "eos_test_support.hpp"
#include "thermo/phase.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kolvar::thermo {
namespace {

using namespace kolvar::thermo::testing;

bool is_vapor_pressure_form(Eos eos)
{
    return eos == Eos::VdWOL1998 || eos == Eos::RKOL1998 || eos == Eos::PROL1998;
}

// A database compound with nonzero extra parameters p1..p4; p3 < 1 makes
// |1 - Tr|^(p3 - 1) infinite at Tr = 1.
Component with_extra_parameters()
{
    Component c = database("n-pentane");
    c.eos_params = {0.6, 0.3, 0.5, 0.05};
    return c;
}

TEST(EosNames, AreTheVariantNamesInDeclarationOrder)
{
    const char* expected[] = {"PR1976",      "RK1949",      "RKS1972",      "VdW1870",       "PRL1997",
                              "RKSL1997",    "RKSGD1978",   "RP1978",       "Berth1899",     "VdWAda1984",
                              "VdWVald1989", "RKSmn1980",   "RKSATmn1995",  "PRATmng1997",   "PRMmn1989",
                              "PRSV1986",    "VdWOL1998",   "RKOL1998",     "PROL1998",      "SchmidtWenzel",
                              "PatelTeja",   "PatelTejaUSB"};
    ASSERT_EQ(std::size(expected), eos_count);
    for (unsigned i = 0; i < eos_count; ++i) {
        EXPECT_EQ(static_cast<unsigned>(all_eos[i]), i);
        EXPECT_STREQ(name(all_eos[i]), expected[i]);
        EXPECT_EQ(is_three_parameter(all_eos[i]), i >= 19) << expected[i];
    }
}

// Every alpha function except the vapour-pressure form is 1 at the critical
// temperature, also with extra parameters p1..p4 (p3 = 0.5 included) and for
// database compounds, whose p3 = 0.
TEST(Alpha, IsOneAtTheCriticalTemperature)
{
    for (const Component& c : {with_extra_parameters(), database("water")}) {
        for (Eos eos : all_eos) {
            if (is_vapor_pressure_form(eos)) continue;
            SCOPED_TRACE(std::string(name(eos)) + " p3=" + std::to_string(c.eos_params[2]));
            EXPECT_DOUBLE_EQ(alpha(eos, 1.0, c), 1.0);
            // and it tends to 1 from both sides (continuity of the piecewise forms)
            EXPECT_NEAR(alpha(eos, 1.0 - 1e-10, c), 1.0, 1e-4);
            EXPECT_NEAR(alpha(eos, 1.0 + 1e-10, c), 1.0, 1e-4);
        }
    }
}

TEST(Alpha, VanDerWaalsIsConstantAndParameterFormsVanishForDatabaseCompounds)
{
    const Component water = database("water");
    for (double tr : {0.4, 0.75, 1.3, 2.0}) {
        EXPECT_EQ(alpha(Eos::VdW1870, tr, water), 1.0);
        // p1 = p2 = p3 = 0: every parameter-driven form reduces to 1 off Tr = 1.
        EXPECT_EQ(alpha(Eos::RKSATmn1995, tr, water), 1.0);
        EXPECT_EQ(alpha(Eos::PRATmng1997, tr, water), 1.0);
        EXPECT_EQ(alpha(Eos::PRMmn1989, tr, water), 1.0);
        EXPECT_EQ(alpha(Eos::RKSmn1980, tr, water), 1.0);
        // PRSV1986 with p4 = 0 is Soave-type: sqrt(alpha) is linear in sqrt(Tr).
        const double s1 = std::sqrt(alpha(Eos::PRSV1986, tr, water));
        const double s2 = std::sqrt(alpha(Eos::PRSV1986, 0.25, water));
        EXPECT_NEAR((s1 - 1.0) / (1.0 - std::sqrt(tr)), (s2 - 1.0) / 0.5, 1e-12);
    }
}

// With a saturation model that gives Psat = pc Tr exactly (Polynomial
// ln Psat = ln(pc/tc) + ln T), x = 0 and the vapour-pressure form is Tr.
TEST(Alpha, VaporPressureFormIsTrWhenPsatEqualsPcTr)
{
    Component c = database("benzene");
    c.saturation_model = SaturationModel::Polynomial;
    c.psat_coeffs = {std::log(c.pc / c.tc), 0.0, 1.0, 0.0, 1.0};
    for (Eos eos : {Eos::VdWOL1998, Eos::RKOL1998, Eos::PROL1998})
        for (double tr : {0.5, 0.8, 1.1}) EXPECT_NEAR(alpha(eos, tr, c), tr, 1e-13) << name(eos);
}

TEST(Alpha, VaporPressureFormIsNaNWhenTheCorrelationFails)
{
    Component c = database("benzene");
    c.psat_coeffs.pop_back();  // Antoine needs three coefficients
    for (Eos eos : {Eos::VdWOL1998, Eos::RKOL1998, Eos::PROL1998}) {
        EXPECT_TRUE(std::isnan(alpha(eos, 0.7, c))) << name(eos);
        // the pure fugacity falls back to the ideal-gas value
        EXPECT_EQ(pure_ln_phi_vapor(eos, c, 400.0, 100.0), 0.0) << name(eos);
    }
}

TEST(ReducedParameters, PengRobinsonAtTheCriticalTemperatureWithZeroOmega)
{
    Component c = database("methane");
    c.omega = 0.0;
    const double pressure = 0.37 * c.pc;
    const ReducedParameters r = reduced_parameters(Eos::PR1976, c, c.tc, pressure);
    EXPECT_EQ(r.a, 0.457235528921382 * (pressure / c.pc));
    EXPECT_EQ(r.b, 0.0777960739038885 * (pressure / c.pc));
    EXPECT_EQ(r.u, 2.0 * r.b);
    EXPECT_EQ(r.w, -r.b * r.b);
}

TEST(ReducedParameters, VdWVald1989UsesTheRkFamilyConstants)
{
    const Component c = database("acetone");
    const ReducedParameters vald = reduced_parameters(Eos::VdWVald1989, c, 400.0, 900.0);
    const ReducedParameters rk = reduced_parameters(Eos::RK1949, c, 400.0, 900.0);
    EXPECT_EQ(vald.b, rk.b);
    EXPECT_EQ(vald.u, vald.b);
    EXPECT_EQ(vald.w, 0.0);
    EXPECT_EQ(vald.a / alpha(Eos::VdWVald1989, 400.0 / c.tc, c), rk.a / alpha(Eos::RK1949, 400.0 / c.tc, c));
    EXPECT_EQ(family_u(Eos::VdWVald1989), 1.0);
    EXPECT_EQ(family_w(Eos::VdWVald1989), 0.0);
}

TEST(ReducedParameters, PatelTejaVariantsAgreeExactly)
{
    for (const char* compound : {"water", "n-decane", "chloroform"}) {
        const Component c = database(compound);
        for (double t : {250.0, 450.0, 700.0}) {
            const ReducedParameters pt = reduced_parameters(Eos::PatelTeja, c, t, 2000.0);
            const ReducedParameters usb = reduced_parameters(Eos::PatelTejaUSB, c, t, 2000.0);
            EXPECT_EQ(pt.a, usb.a);
            EXPECT_EQ(pt.b, usb.b);
            EXPECT_EQ(pt.c, usb.c);
            EXPECT_GT(pt.c, 0.0);
            EXPECT_EQ(pt.u, pt.b + pt.c);
            EXPECT_EQ(pt.w, -(pt.b * pt.c));
        }
    }
}

// Every root of the cubic satisfies the pressure-explicit form
// Z - 1 = B/(Z - B) - A Z/(Z^2 + U Z + W), for all variants and over
// vapour, liquid, two-phase and supercritical states.
TEST(CubicCoefficients, RootsSatisfyThePressureExplicitForm)
{
    const Component butane = database("n-butane");
    const Component water = database("water");
    struct Point {
        const Component* c;
        double t, p;
    };
    const Point points[] = {{&butane, 300.0, 200.0}, {&butane, 300.0, 2000.0}, {&butane, 500.0, 6000.0},
                            {&water, 373.0, 101.325}, {&water, 450.0, 30.0}};
    for (Eos eos : all_eos) {
        for (const Point& pt : points) {
            SCOPED_TRACE(std::string(name(eos)) + " " + pt.c->name + " T=" + std::to_string(pt.t));
            const ReducedParameters r = reduced_parameters(eos, *pt.c, pt.t, pt.p);
            const CubicCoefficients k = cubic_coefficients(r.a, r.b, r.u, r.w);
            const auto roots = solve_monic_cubic(k.c2, k.c1, k.c0);
            ASSERT_TRUE(roots.has_value());
            unsigned above = 0;
            for (unsigned i = 0; i < roots->count; ++i) {
                const double z = roots->roots[i];
                if (z <= r.b) continue;
                ++above;
                const double q = z * z + r.u * z + r.w;
                const double lhs = z - 1.0, rhs = r.b / (z - r.b) - r.a * z / q;
                EXPECT_NEAR(lhs, rhs, 1e-9 * (1.0 + std::abs(r.b / (z - r.b)) + std::abs(r.a * z / q)));
            }
            EXPECT_GE(above, 1u);
        }
    }
}

// d ln phi / dP at constant T is (Z - 1)/P: checks the attraction integral in
// all three branches (equal constants for the VdW family, real constants,
// and complex ones for PatelTeja with a negative acentric factor).
TEST(PureFugacity, PressureDerivativeIsZMinusOneOverP)
{
    Component odd = database("n-butane");
    odd.omega = -0.2;
    const Component propane = database("propane");
    for (Eos eos : all_eos) {
        for (const Component* c : std::initializer_list<const Component*>{&propane, &odd}) {
            SCOPED_TRACE(std::string(name(eos)) + " omega=" + std::to_string(c->omega));
            const double t = 330.0, p = 400.0, dp = 1e-3;
            const ReducedParameters r = reduced_parameters(eos, *c, t, p);
            const double z = phase_root(r.a, r.b, r.u, r.w, Phase::Vapor);
            const double slope =
                (pure_ln_phi_vapor(eos, *c, t, p + dp) - pure_ln_phi_vapor(eos, *c, t, p - dp)) / (2.0 * dp);
            EXPECT_NEAR(slope, (z - 1.0) / p, 1e-8);
        }
    }
}

TEST(PureFugacity, VanDerWaalsTakesTheEqualConstantsBranch)
{
    const Component c = database("ethane");
    for (double p : {50.0, 500.0, 3000.0}) {
        const ReducedParameters r = reduced_parameters(Eos::VdW1870, c, 280.0, p);
        const double z = phase_root(r.a, r.b, r.u, r.w, Phase::Vapor);
        const double expected = z - 1.0 - std::log(z - r.b) - r.a / z;
        EXPECT_NEAR(pure_ln_phi_vapor(Eos::VdW1870, c, 280.0, p), expected, 1e-12 * (1.0 + std::abs(expected)));
    }
}

TEST(PureFugacity, PengRobinsonTextbookFormula)
{
    const Component c = database("cyclohexane");
    for (double t : {300.0, 450.0, 600.0}) {
        const ReducedParameters r = reduced_parameters(Eos::PR1976, c, t, 150.0);
        const double z = phase_root(r.a, r.b, r.u, r.w, Phase::Vapor);
        const double s2 = std::sqrt(2.0);
        const double expected = z - 1.0 - std::log(z - r.b) -
                                r.a / (2.0 * s2 * r.b) * std::log((z + (1.0 + s2) * r.b) / (z + (1.0 - s2) * r.b));
        EXPECT_NEAR(pure_ln_phi_vapor(Eos::PR1976, c, t, 150.0), expected, 1e-12);
    }
}

}  // namespace
}  // namespace kolvar::thermo
