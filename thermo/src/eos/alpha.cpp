// alpha(Tr) of every variant: one function per alpha kind of the variant table.
#include "constants.hpp"
#include "eos/variant_table.hpp"
#include "numerics/dual.hpp"
#include "thermo/saturation.hpp"

#include <cmath>
#include <limits>

namespace kolvar::thermo {
namespace {

using eos_data::AlphaKind;
using Coefficients = std::array<double, 6>;

double quadratic(const Coefficients& k, double x) { return k[0] + k[1] * x + k[2] * x * x; }
double cubic(const Coefficients& k, double x) { return k[0] + k[1] * x + k[2] * x * x + k[3] * x * x * x; }

// m is a constant or, for the shifted kappas, follows Tr.
template <class M, class Real>
Real soave_form(M m, Real tr)
{
    const Real root = 1.0 + m * (1.0 - sqrt(tr));
    return root * root;
}

template <class Real>
Real soave(const Coefficients& k, Real tr, double omega)
{
    return soave_form(cubic(k, omega), tr);
}

template <class Real>
Real ten_power(const Coefficients& k, Real tr, double omega)
{
    return exp(constants::ln_10 * ((1.0 - tr) * quadratic(k, omega)));
}

template <class Real>
Real linear_over_tr(double m, double n, Real tr)
{
    return 1.0 + (1.0 - tr) * (m + n / tr);
}

template <class Real>
Real linear_correlated(const Coefficients& k, Real tr, const Component& c)
{
    const double g = c.omega * c.zc;
    const double m = k[0] + k[1] * g + k[2] * g * g;
    const double n = k[3] + k[4] * g + k[5] * g * g;
    return linear_over_tr(m, n, tr);
}

// At Tr = 1 exactly the first term is 0 whatever p3: |1 - Tr|^(p3 - 1) would be
// infinite for p3 < 1 and turn 0 * inf into NaN, while the function tends to 1.
// Its slope there is p1 dd/dT for p3 = 1 and 0 for p3 > 1 (for p3 < 1 the
// function has none; 0 is kept).
template <class Real>
Real exp_abs_power(Real tr, const Component& c)
{
    const auto& [p1, p2, p3, p4] = c.eos_params;
    const Real d = 1.0 - tr;
    Real first = 0.0;
    if (!(d == 0.0)) first = p1 * d * pow(abs(d), p3 - 1.0);
    else if constexpr (is_dual<Real>) {
        if (p3 == 1.0) first = chained(0.0, p1, d);
    }
    return exp(first + p2 * (1.0 / tr - 1.0));
}

template <class Real>
Real exp_square_root(Real tr, const Component& c)
{
    const auto& p = c.eos_params;
    const Real s = 1.0 - sqrt(tr);
    return exp(p[0] * (1.0 - tr) + p[1] * s * s);
}

template <class Real>
Real soave_shifted(const Coefficients& k, Real tr, const Component& c)
{
    const Real kappa = cubic(k, c.omega) + c.eos_params[3] * (1.0 + sqrt(tr)) * (0.7 - tr);
    return soave_form(kappa, tr);
}

// kappa = kappa0 + shift^2/70 with the shift linear in Tr up to Tr = 1 and
// constant above: continuous at Tr = 1, where the slope is the one from below.
template <class Real>
Real schmidt_wenzel(const Coefficients& k, Real tr, double omega)
{
    const double kappa0 = quadratic(k, omega);
    const Real shift = tr <= 1.0 ? 5.0 * tr - 3.0 * kappa0 - 1.0 : Real(4.0 - 3.0 * kappa0);
    return soave_form(kappa0 + shift * shift / 70.0, tr);
}

template <class Real>
Real vapor_pressure(int column, Real tr, const Component& c)
{
    const auto psat = saturation_pressure(c.saturation_model, c, c.tc * tr);
    if (!psat) return std::numeric_limits<double>::quiet_NaN();
    const auto& [coefficients, exponent] = eos_data::vapor_pressure_columns[static_cast<unsigned>(column)];
    const Real x = log(*psat / (c.pc * tr));
    Real sum = 0.0;
    Real power = 1.0;
    for (double ck : coefficients) {
        power *= -x;
        sum += ck * power;
    }
    return tr * (1.0 + pow(1.0 - x, exponent) * sum);
}

}  // namespace

template <class Real>
Real alpha(Eos eos, Real tr, const Component& component)
{
    const auto& row = eos_data::row(eos);
    const auto& k = row.k;
    switch (row.alpha) {
    case AlphaKind::Soave: return soave(k, tr, component.omega);
    case AlphaKind::InverseSqrtTr: return 1.0 / sqrt(tr);
    case AlphaKind::InverseTr: return 1.0 / tr;
    case AlphaKind::Unity: return Real(1.0);
    case AlphaKind::TenPower: return ten_power(k, tr, component.omega);
    case AlphaKind::LinearCorrelated: return linear_correlated(k, tr, component);
    case AlphaKind::LinearParameters: return linear_over_tr(component.eos_params[0], component.eos_params[1], tr);
    case AlphaKind::ExpAbsPower: return exp_abs_power(tr, component);
    case AlphaKind::ExpSquareRoot: return exp_square_root(tr, component);
    case AlphaKind::SoaveShifted: return soave_shifted(k, tr, component);
    case AlphaKind::VaporPressure: return vapor_pressure(row.column, tr, component);
    case AlphaKind::SchmidtWenzelKappa: return schmidt_wenzel(k, tr, component.omega);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

template double alpha(Eos, double, const Component&);
template Dual alpha(Eos, Dual, const Component&);
template Tangent alpha(Eos, Tangent, const Component&);
#define KOLVAR_INSTANTIATE(R) \
    template R alpha(Eos, R, const Component&);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo
