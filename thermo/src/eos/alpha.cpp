// alpha(Tr) of every variant: one function per alpha kind of the variant table.
#include "constants.hpp"
#include "eos/variant_table.hpp"
#include "thermo/saturation.hpp"

#include <cmath>
#include <limits>

namespace kolvar::thermo {
namespace {

using eos_data::AlphaKind;
using Coefficients = std::array<double, 6>;

double quadratic(const Coefficients& k, double x) { return k[0] + k[1] * x + k[2] * x * x; }
double cubic(const Coefficients& k, double x) { return k[0] + k[1] * x + k[2] * x * x + k[3] * x * x * x; }

double soave_form(double m, double tr)
{
    const double root = 1.0 + m * (1.0 - std::sqrt(tr));
    return root * root;
}

double soave(const Coefficients& k, double tr, double omega) { return soave_form(cubic(k, omega), tr); }

double ten_power(const Coefficients& k, double tr, double omega)
{
    return std::exp(constants::ln_10 * ((1.0 - tr) * quadratic(k, omega)));
}

double linear_over_tr(double m, double n, double tr) { return 1.0 + (1.0 - tr) * (m + n / tr); }

double linear_correlated(const Coefficients& k, double tr, const Component& c)
{
    const double g = c.omega * c.zc;
    const double m = k[0] + k[1] * g + k[2] * g * g;
    const double n = k[3] + k[4] * g + k[5] * g * g;
    return linear_over_tr(m, n, tr);
}

// At Tr = 1 exactly the first term is 0 whatever p3: |1 - Tr|^(p3 - 1) would be
// infinite for p3 < 1 and turn 0 * inf into NaN, while the function tends to 1.
double exp_abs_power(double tr, const Component& c)
{
    const auto& [p1, p2, p3, p4] = c.eos_params;
    const double d = 1.0 - tr;
    const double first = d == 0.0 ? 0.0 : p1 * d * std::pow(std::abs(d), p3 - 1.0);
    return std::exp(first + p2 * (1.0 / tr - 1.0));
}

double exp_square_root(double tr, const Component& c)
{
    const auto& p = c.eos_params;
    const double s = 1.0 - std::sqrt(tr);
    return std::exp(p[0] * (1.0 - tr) + p[1] * s * s);
}

double soave_shifted(const Coefficients& k, double tr, const Component& c)
{
    const double kappa = cubic(k, c.omega) + c.eos_params[3] * (1.0 + std::sqrt(tr)) * (0.7 - tr);
    return soave_form(kappa, tr);
}

double schmidt_wenzel(const Coefficients& k, double tr, double omega)
{
    const double kappa0 = quadratic(k, omega);
    const double shift = tr <= 1.0 ? 5.0 * tr - 3.0 * kappa0 - 1.0 : 4.0 - 3.0 * kappa0;
    return soave_form(kappa0 + shift * shift / 70.0, tr);
}

double vapor_pressure(int column, double tr, const Component& c)
{
    const auto psat = saturation_pressure(c.saturation_model, c, c.tc * tr);
    if (!psat) return std::numeric_limits<double>::quiet_NaN();
    const auto& [coefficients, exponent] = eos_data::vapor_pressure_columns[static_cast<unsigned>(column)];
    const double x = std::log(*psat / (c.pc * tr));
    double sum = 0.0;
    double power = 1.0;
    for (double ck : coefficients) {
        power *= -x;
        sum += ck * power;
    }
    return tr * (1.0 + std::pow(1.0 - x, exponent) * sum);
}

}  // namespace

double alpha(Eos eos, double tr, const Component& component)
{
    const auto& row = eos_data::row(eos);
    const auto& k = row.k;
    switch (row.alpha) {
    case AlphaKind::Soave: return soave(k, tr, component.omega);
    case AlphaKind::InverseSqrtTr: return 1.0 / std::sqrt(tr);
    case AlphaKind::InverseTr: return 1.0 / tr;
    case AlphaKind::Unity: return 1.0;
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

}  // namespace kolvar::thermo
