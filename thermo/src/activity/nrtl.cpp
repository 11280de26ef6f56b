// NRTL: the non-random two-liquid model with tau_ij = a_ij + b_ij/T.
#include "activity/models.hpp"

#include "numerics/dual.hpp"
#include "thermo/small_vector.hpp"

#include <cstddef>

namespace kolvar::thermo::activity {

template <class Real>
void nrtl(Real temperature, std::span<const StateScalar<Real>> x, const ActivityInputs& inputs, std::span<Real> out)
{
    const std::size_t n = x.size();
    const ParameterRows a = inputs.parameters;
    const ParameterRows b = inputs.b;
    const ParameterRows alpha = inputs.alpha;
    // tau_ij and G_ij row by row (index i n + j); the diagonal is tau = 0, G = 1.
    SmallVector<Real, 64> tau(n * n);
    SmallVector<Real, 64> g(n * n);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            if (i == j) {
                tau[i * n + j] = 0.0;
                g[i * n + j] = 1.0;
                continue;
            }
            const Real t = a[i][j] + b[i][j] / temperature;
            tau[i * n + j] = t;
            g[i * n + j] = exp(-alpha[i][j] * t);
        }
    }
    // S_j = sum_k x_k G_kj, and the mean tau C_j/S_j with C_j = sum_k x_k tau_kj G_kj.
    SmallVector<Real, 8> s(n);
    SmallVector<Real, 8> mean_tau(n);
    for (std::size_t j = 0; j < n; ++j) {
        Real sum = 0.0;
        Real weighted = 0.0;
        for (std::size_t k = 0; k < n; ++k) {
            sum += x[k] * g[k * n + j];
            weighted += x[k] * tau[k * n + j] * g[k * n + j];
        }
        s[j] = sum;
        mean_tau[j] = weighted / sum;
    }
    for (std::size_t i = 0; i < n; ++i) {
        Real value = mean_tau[i];
        for (std::size_t j = 0; j < n; ++j) value += x[j] * g[i * n + j] / s[j] * (tau[i * n + j] - mean_tau[j]);
        out[i] = value;
    }
}

template void nrtl(double, std::span<const double>, const ActivityInputs&, std::span<double>);
template void nrtl(Dual, std::span<const double>, const ActivityInputs&, std::span<Dual>);
template void nrtl(Tangent, std::span<const Tangent>, const ActivityInputs&, std::span<Tangent>);
#define KOLVAR_INSTANTIATE(R) \
    template void nrtl(R, std::span<const R>, const ActivityInputs&, std::span<R>);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo::activity
