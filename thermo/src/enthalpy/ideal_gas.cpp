// The ideal-gas enthalpy from the heat-capacity polynomial.
#include "thermo/enthalpy.hpp"

#include "constants.hpp"

#include <array>

namespace kolvar::thermo {
namespace {

// 1/(k + 1) for the terms of the usual polynomials, a product being cheaper than a quotient.
constexpr std::array<double, 6> reciprocals{1.0, 1.0 / 2.0, 1.0 / 3.0, 1.0 / 4.0, 1.0 / 5.0, 1.0 / 6.0};

// integral from 0 to t of sum_k a_k t'^k dt' = t (a_0 + t (a_1/2 + t (a_2/3 + ...))),
// at T and at the reference temperature in one pass (two independent chains).
double integral_from_reference(std::span<const double> a, double temperature)
{
    constexpr double reference = enthalpy_reference_temperature;
    double at_t = 0.0;
    double at_reference = 0.0;
    for (std::size_t k = a.size(); k-- > 0;) {
        const double term = k < reciprocals.size() ? a[k] * reciprocals[k] : a[k] / static_cast<double>(k + 1);
        at_t = at_t * temperature + term;
        at_reference = at_reference * reference + term;
    }
    return at_t * temperature - at_reference * reference;
}

}  // namespace

double ideal_gas_enthalpy(const Component& component, double temperature)
{
    return constants::gas_constant * integral_from_reference(component.cp_coeffs, temperature);
}

}  // namespace kolvar::thermo
