#include "thermo/saturation.hpp"

#include "kolvar/format.hpp"
#include "numerics/dual.hpp"

#include <cmath>
#include <span>

namespace kolvar::thermo {
namespace {

constexpr double atmospheric_pressure = 101.325;  // kPa

std::unexpected<SaturationError> out_of_range(double temperature)
{
    return std::unexpected(SaturationError{.kind = SaturationError::Kind::OutOfRange, .temperature = temperature});
}

std::unexpected<SaturationError> wrong_count(const Component& component, std::size_t expected)
{
    return std::unexpected(SaturationError{.kind = SaturationError::Kind::WrongCoefficientCount,
                                           .component = component.name,
                                           .expected = expected,
                                           .actual = component.psat_coeffs.size()});
}

// The corresponding-states correlations need positive tb, tc, T and pc.
bool corresponding_states_inputs_valid(const Component& component, double temperature)
{
    return !(component.tb <= 0.0 || component.tc <= 0.0 || temperature <= 0.0 || component.pc <= 0.0);
}

template <class Real>
Real antoine(std::span<const double> a, double pc, Real temperature)
{
    return pc * exp(a[0] - a[1] / (a[2] + temperature));
}

// tr^6 as the library has always formed it (std::pow with an integer exponent).
template <class Real>
Real sixth_power(Real tr)
{
    if constexpr (is_dual<Real>) {
        const double p5 = std::pow(tr.value, 5);
        return chained(std::pow(tr.value, 6), 6.0 * p5, tr);
    }
    else {
        return std::pow(tr, 6);
    }
}

template <class Real>
Real riedel(const Component& component, Real temperature)
{
    const Real tr = temperature / component.tc;
    const double tbr = component.tb / component.tc;
    const double psi = 36.0 / tbr - 35.0 + 42.0 * std::log(tbr) - std::pow(tbr, 6);
    const double alpha_c =
        (std::log(component.pc / atmospheric_pressure) + 0.315 * psi) / (0.0838 * psi - std::log(tbr));
    const double q = 0.0838 * (3.758 - alpha_c);
    const Real ln_pr = (alpha_c + 42.0 * q) * log(tr) + q * (36.0 / tr - 35.0) - q * sixth_power(tr);
    return component.pc * exp(ln_pr);
}

template <class Real>
Real muller(const Component& component, Real temperature)
{
    const Real tr = temperature / component.tc;
    const double tbr = component.tb / component.tc;
    const double f = 5.37273 * (1.0 + component.omega);
    const double x = (std::log(atmospheric_pressure / component.pc) - f * (1.0 - 1.0 / tbr)) /
                     (std::log(tbr) - 0.832223 * (1.0 - 1.0 / tbr));
    const Real ln_pr = x * log(tr) + (1.0 - 1.0 / tr) * (f - 0.832223 * x);
    return component.pc * exp(ln_pr);
}

template <class Real>
Real rpm(const Component& component, Real temperature)
{
    const Real tr = temperature / component.tc;
    const double tbr = component.tb / component.tc;
    const double h = tbr * std::log(component.pc / atmospheric_pressure) / (1.0 - tbr);
    const double g = 0.4835 + 0.4605 * h;
    const double k = (h / g - (1.0 + tbr)) / ((1.0 - tbr) * (1.0 - tbr) * (3.0 + tbr));
    const Real one_minus_tr = 1.0 - tr;
    const Real ln_pr = -(g / tr) * (1.0 - tr * tr + k * (3.0 + tr) * one_minus_tr * one_minus_tr * one_minus_tr);
    return component.pc * exp(ln_pr);
}

template <class Real>
Real polynomial(std::span<const double> c, Real temperature)
{
    return exp(c[0] + c[1] / temperature + c[2] * log(temperature) + c[3] * pow(temperature, c[4]));
}

}  // namespace

const char* name(SaturationModel model)
{
    switch (model) {
    case SaturationModel::Antoine: return "Antoine";
    case SaturationModel::Riedel: return "Riedel";
    case SaturationModel::Muller: return "Muller";
    case SaturationModel::RPM: return "RPM";
    case SaturationModel::Polynomial: return "Polynomial";
    case SaturationModel::Maxwell: return "Maxwell";
    }
    return "?";
}

std::string SaturationError::text() const
{
    switch (kind) {
    case Kind::WrongCoefficientCount:
        return format::text("component ", format::Quoted{component}, ": expected ", expected,
                            " Antoine coefficients, got ", actual);
    case Kind::NotAvailable:
        return format::text("saturation model ", name(model), " not available through this entry point");
    case Kind::MaxwellFailed:
        return format::text("Maxwell construction failed: ", message);
    case Kind::OutOfRange:
        return format::text("temperature ", temperature, " K out of range for saturation correlation");
    }
    return {};
}

template <class Real>
std::expected<Real, SaturationError> saturation_pressure(SaturationModel model, const Component& component,
                                                         Real temperature)
{
    switch (model) {
    case SaturationModel::Antoine:
        if (component.psat_coeffs.size() != 3) return wrong_count(component, 3);
        if (component.psat_coeffs[2] + temperature <= 0.0) return out_of_range(value_of(temperature));
        return antoine(component.psat_coeffs, component.pc, temperature);
    case SaturationModel::Riedel:
        if (!corresponding_states_inputs_valid(component, value_of(temperature))) return out_of_range(value_of(temperature));
        return riedel(component, temperature);
    case SaturationModel::Muller:
        if (!corresponding_states_inputs_valid(component, value_of(temperature))) return out_of_range(value_of(temperature));
        return muller(component, temperature);
    case SaturationModel::RPM:
        if (!corresponding_states_inputs_valid(component, value_of(temperature))) return out_of_range(value_of(temperature));
        return rpm(component, temperature);
    case SaturationModel::Polynomial:
        if (component.psat_coeffs.size() != 5) return wrong_count(component, 5);
        if (temperature <= 0.0) return out_of_range(value_of(temperature));
        return polynomial(component.psat_coeffs, temperature);
    case SaturationModel::Maxwell:
        break;
    }
    return std::unexpected(SaturationError{.kind = SaturationError::Kind::NotAvailable, .model = model});
}

template std::expected<double, SaturationError> saturation_pressure(SaturationModel, const Component&, double);
template std::expected<Dual, SaturationError> saturation_pressure(SaturationModel, const Component&, Dual);
template std::expected<Tangent, SaturationError> saturation_pressure(SaturationModel, const Component&, Tangent);
#define KOLVAR_INSTANTIATE(R) \
    template std::expected<R, SaturationError> saturation_pressure(SaturationModel, const Component&, R);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo
