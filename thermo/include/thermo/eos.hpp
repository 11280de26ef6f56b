// The 22 cubic equations of state and everything about them that does not
// depend on a mixture: alpha(Tr), the reduced parameters A, B (and C) of one
// component, the cubic in Z and the pure-component vapour fugacity.
//
// Every variant is a member of the generalized cubic
//     P = RT/(v - b) - a/(v^2 + u b v + w b^2),
// written in reduced form with A = a P/(RT)^2, B = b P/(RT), U = u B and
// W = w B^2:
//     Z^3 + (U - B - 1) Z^2 + (A + W - U - U B) Z - (A B + W + W B) = 0.
// Tr = T/tc and Pr = P/pc (T in K, P in kPa); no gas constant enters and no
// volume translation is applied.
#pragma once

#include "thermo/component.hpp"

#include <cstddef>

namespace kolvar::thermo {

// Declaration order is fixed; the text form of each variant is its name.
enum class Eos : unsigned {
    PR1976,
    RK1949,
    RKS1972,
    VdW1870,
    PRL1997,
    RKSL1997,
    RKSGD1978,
    RP1978,
    Berth1899,
    VdWAda1984,
    VdWVald1989,
    RKSmn1980,
    RKSATmn1995,
    PRATmng1997,
    PRMmn1989,
    PRSV1986,
    VdWOL1998,
    RKOL1998,
    PROL1998,
    SchmidtWenzel,
    PatelTeja,
    PatelTejaUSB,
};

inline constexpr std::size_t eos_count = 22;

// "PR1976", "RK1949", ... "PatelTejaUSB"
const char* name(Eos eos);

// The families sharing u, w and the critical constants. SchmidtWenzel and
// PatelTeja are the three-parameter families, whose u and w depend on the
// component (and, in a mixture, on the composition).
enum class EosFamily : unsigned { PR, RK, VdW, SchmidtWenzel, PatelTeja };

EosFamily family(Eos eos);

// SchmidtWenzel, PatelTeja and PatelTejaUSB.
bool is_three_parameter(Eos eos);

// u and w of the variant's family: PR (2, -1), RK (1, 0), VdW (0, 0); zero for
// the three-parameter variants, whose U and W come from their own parameters.
double family_u(Eos eos);
double family_w(Eos eos);

// The functions below that take a scalar type `Real` are instantiated for
// double and for the library's Dual (a value with its temperature
// derivative); the double instantiation is the plain evaluation.

// alpha at reduced temperature tr. The vapour-pressure variants (VdWOL1998,
// RKOL1998, PROL1998) evaluate the component's own saturation model at
// T = tc * tr and give NaN when that correlation fails.
template <class Real>
Real alpha(Eos eos, Real tr, const Component& component);

// Reduced parameters of one component at (T, P):
//   a = A = Omega_a alpha Pr / Tr^2, b = B = Omega_b Pr / Tr,
//   c = C = Omega_c Pr / Tr for the PatelTeja family (0 otherwise),
//   u = U and w = W of the generalized cubic (U = u B, W = w B^2 for the
//   two-parameter families; (1 + 3 omega) B and -3 omega B^2 for
//   SchmidtWenzel; B + C and -B C for PatelTeja).
template <class Real>
struct BasicReducedParameters {
    Real a = 0.0;
    Real b = 0.0;
    Real c = 0.0;
    Real u = 0.0;
    Real w = 0.0;
};
using ReducedParameters = BasicReducedParameters<double>;

// The pressure is a double or, for a pressure that follows the temperature
// (a saturation pressure), a Dual too.
template <class Real, class Pressure>
BasicReducedParameters<Real> reduced_parameters(Eos eos, const Component& component, Real temperature,
                                                Pressure pressure);

// Coefficients of the monic cubic Z^3 + c2 Z^2 + c1 Z + c0 = 0 for
// reduced A, B, U, W (pure component or mixture).
template <class Real>
struct BasicCubicCoefficients {
    Real c2 = 0.0;
    Real c1 = 0.0;
    Real c0 = 0.0;
};
using CubicCoefficients = BasicCubicCoefficients<double>;

template <class Real>
inline BasicCubicCoefficients<Real> cubic_coefficients(Real a, Real b, Real u, Real w)
{
    return {u - b - 1.0, a + w - u - u * b, -(a * b + w + w * b)};
}

// ln phi of the pure component as a vapour at (T, P): the largest root above
// B, used as the solver returns it. Never fails: when the cubic cannot be
// solved or has no root above B the ideal-gas value 0 is returned. With Dual
// arguments both T and P may carry a slope (a saturated vapour at Psat(T)).
template <class Real>
Real pure_ln_phi_vapor(Eos eos, const Component& component, Real temperature, Real pressure);

}  // namespace kolvar::thermo
