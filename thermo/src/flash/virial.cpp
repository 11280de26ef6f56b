#include "flash/virial.hpp"

#include "constants.hpp"

#include <cmath>

namespace kolvar::thermo::flash {
namespace {

double correlation(double tc, double pc, double omega, double temperature)
{
    const double tr = temperature / tc;
    const double b0 = 0.083 - 0.422 / std::pow(tr, 1.6);
    const double b1 = 0.139 - 0.172 / std::pow(tr, 4.2);
    return (constants::gas_constant_kpa_cm3 * tc / pc) * (b0 + omega * b1);
}

}  // namespace

double second_virial(const Component& component, double temperature)
{
    return correlation(component.tc, component.pc, component.omega, temperature);
}

void second_virial_matrix(std::span<const Component> components, double temperature, SmallVector<double, 64>& out)
{
    const std::size_t n = components.size();
    out.resize(n * n);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            const Component& a = components[i];
            const Component& b = components[j];
            out[i * n + j] = i == j ? second_virial(a, temperature)
                                    : correlation(std::sqrt(a.tc * b.tc), (a.pc + b.pc) / 2.0,
                                                  (a.omega + b.omega) / 2.0, temperature);
        }
    }
}

void virial_ln_phi(std::span<const double> b_matrix, std::span<const double> y, double temperature, double pressure,
                   std::span<double> out)
{
    const std::size_t n = y.size();
    double mixture = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        double row = 0.0;
        for (std::size_t j = 0; j < n; ++j) row += y[j] * b_matrix[i * n + j];
        out[i] = row;  // sum_j y_j B_ij, finished below
        mixture += y[i] * row;
    }
    const double scale = pressure / (constants::gas_constant_kpa_cm3 * temperature);
    for (std::size_t i = 0; i < n; ++i) out[i] = (2.0 * out[i] - mixture) * scale;
}

}  // namespace kolvar::thermo::flash
