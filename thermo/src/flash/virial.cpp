#include "flash/virial.hpp"

#include "constants.hpp"
#include "numerics/dual.hpp"

#include <cmath>

namespace kolvar::thermo::flash {
namespace {

template <class Real>
Real correlation(double tc, double pc, double omega, Real temperature)
{
    const Real tr = temperature / tc;
    const Real b0 = 0.083 - 0.422 / pow(tr, 1.6);
    const Real b1 = 0.139 - 0.172 / pow(tr, 4.2);
    return (constants::gas_constant_kpa_cm3 * tc / pc) * (b0 + omega * b1);
}

}  // namespace

template <class Real>
Real second_virial(const Component& component, Real temperature)
{
    return correlation(component.tc, component.pc, component.omega, temperature);
}

template <class Real>
void second_virial_matrix(std::span<const Component> components, Real temperature, SmallVector<Real, 64>& out)
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

template <class Real>
void virial_ln_phi(std::type_identity_t<std::span<const Real>> b_matrix, std::span<const StateScalar<Real>> y,
                   Real temperature, StateScalar<Real> pressure, std::type_identity_t<std::span<Real>> out)
{
    const std::size_t n = y.size();
    Real mixture = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        Real row = 0.0;
        for (std::size_t j = 0; j < n; ++j) row += y[j] * b_matrix[i * n + j];
        out[i] = row;  // sum_j y_j B_ij, finished below
        mixture += y[i] * row;
    }
    const Real scale = pressure / (constants::gas_constant_kpa_cm3 * temperature);
    for (std::size_t i = 0; i < n; ++i) out[i] = (2.0 * out[i] - mixture) * scale;
}

template double second_virial(const Component&, double);
template Dual second_virial(const Component&, Dual);
template void second_virial_matrix(std::span<const Component>, double, SmallVector<double, 64>&);
template void second_virial_matrix(std::span<const Component>, Dual, SmallVector<Dual, 64>&);
template void virial_ln_phi<double>(std::span<const double>, std::span<const double>, double, double,
                                    std::span<double>);
template void virial_ln_phi<Dual>(std::span<const Dual>, std::span<const double>, Dual, double, std::span<Dual>);
template Tangent second_virial(const Component&, Tangent);
template void second_virial_matrix(std::span<const Component>, Tangent, SmallVector<Tangent, 64>&);
template void virial_ln_phi<Tangent>(std::span<const Tangent>, std::span<const Tangent>, Tangent, Tangent,
                                     std::span<Tangent>);
#define KOLVAR_INSTANTIATE(R) \
    template R second_virial(const Component&, R); \
    template void second_virial_matrix(std::span<const Component>, R, SmallVector<R, 64>&); \
    template void virial_ln_phi<R>(std::span<const R>, std::span<const R>, R, R, std::span<R>);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo::flash
