// UNIQUAC: a combinatorial part from the molecules' sizes and shapes and a
// residual part with tau_ij = exp(a_ij + b_ij/T).
#include "activity/models.hpp"

#include "numerics/dual.hpp"
#include "thermo/small_vector.hpp"

#include <cmath>
#include <cstddef>

namespace kolvar::thermo::activity {
namespace {

// The lattice coordination number z.
constexpr double coordination = 10.0;

}  // namespace

template <class Real>
void uniquac(Real temperature, std::span<const StateScalar<Real>> x, const ActivityInputs& inputs, std::span<Real> out)
{
    using X = StateScalar<Real>;
    const std::size_t n = x.size();
    const auto r = inputs.r;
    const auto q = inputs.q;
    // l_i = (z/2)(r_i - q_i) - (r_i - 1), and the mixture sums of x r, x q and x l.
    X sum_r = 0.0;
    X sum_q = 0.0;
    X sum_l = 0.0;
    for (std::size_t j = 0; j < n; ++j) {
        sum_r += x[j] * r[j];
        sum_q += x[j] * q[j];
        sum_l += x[j] * (0.5 * coordination * (r[j] - q[j]) - (r[j] - 1.0));
    }
    SmallVector<X, 8> theta(n);
    for (std::size_t j = 0; j < n; ++j) theta[j] = x[j] * q[j] / sum_q;

    // tau_ij row by row (index i n + j), 1 on the diagonal, and
    // D_j = sum_k theta_k tau_kj.
    const ParameterRows a = inputs.parameters;
    const ParameterRows b = inputs.b;
    SmallVector<Real, 64> tau(n * n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) tau[i * n + j] = i == j ? Real(1.0) : exp(a[i][j] + b[i][j] / temperature);
    SmallVector<Real, 8> d(n);
    SmallVector<Real, 8> theta_over_d(n);  // theta_j / D_j
    for (std::size_t j = 0; j < n; ++j) {
        Real sum = 0.0;
        for (std::size_t k = 0; k < n; ++k) sum += theta[k] * tau[k * n + j];
        d[j] = sum;
        theta_over_d[j] = theta[j] / sum;
    }

    for (std::size_t i = 0; i < n; ++i) {
        // Phi_i/x_i and theta_i/Phi_i without dividing by x_i.
        const X phi_over_x = r[i] / sum_r;
        const X theta_over_phi = q[i] * sum_r / (r[i] * sum_q);
        const double l_i = 0.5 * coordination * (r[i] - q[i]) - (r[i] - 1.0);
        const X combinatorial =
            log(phi_over_x) + 0.5 * coordination * q[i] * log(theta_over_phi) + l_i - phi_over_x * sum_l;
        Real tail = 0.0;  // sum_j theta_j tau_ij / D_j
        for (std::size_t j = 0; j < n; ++j) tail += tau[i * n + j] * theta_over_d[j];
        out[i] = combinatorial + q[i] * (1.0 - log(d[i]) - tail);
    }
}

template void uniquac(double, std::span<const double>, const ActivityInputs&, std::span<double>);
template void uniquac(Dual, std::span<const double>, const ActivityInputs&, std::span<Dual>);
template void uniquac(Tangent, std::span<const Tangent>, const ActivityInputs&, std::span<Tangent>);
#define KOLVAR_INSTANTIATE(R) \
    template void uniquac(R, std::span<const R>, const ActivityInputs&, std::span<R>);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo::activity
