// The ideal-gas enthalpy from the heat-capacity polynomial.
#include "thermo/enthalpy.hpp"

#include "constants.hpp"

#include <array>

namespace kolvar::thermo {
namespace {

// 1/(k + 1) for the terms of the usual polynomials, a product being cheaper than a quotient.
constexpr std::array<double, 6> reciprocals{1.0, 1.0 / 2.0, 1.0 / 3.0, 1.0 / 4.0, 1.0 / 5.0, 1.0 / 6.0};

// integral from 0 to T of sum_k a_k t^k dt = T (a_0 + T (a_1/2 + T (a_2/3 + ...))).
double antiderivative(std::span<const double> a, double temperature)
{
    double sum = 0.0;
    if (a.size() <= reciprocals.size()) {
        for (std::size_t k = a.size(); k-- > 0;) sum = sum * temperature + a[k] * reciprocals[k];
    }
    else {
        for (std::size_t k = a.size(); k-- > 0;) sum = sum * temperature + a[k] / static_cast<double>(k + 1);
    }
    return sum * temperature;
}

}  // namespace

double ideal_gas_enthalpy(const Component& component, double temperature)
{
    const std::span<const double> a = component.cp_coeffs;
    return constants::gas_constant *
           (antiderivative(a, temperature) - antiderivative(a, enthalpy_reference_temperature));
}

}  // namespace kolvar::thermo
