// The van der Waals one-fluid a/b rules: Classical (= IVDW) and the
// composition-dependent IIVDW.
#include "mixture/rules.hpp"

namespace kolvar::thermo::rules {

template <class Real>
void linear_covolume(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                     BasicMixtureParameters<Real>& out)
{
    Real b = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        b += x[i] * p.b[i];
        out.b_bar[i] = p.b[i];
    }
    out.b = b;
}

// s_i = sum_j x_j sqrt(A_i A_j)(1 - k_ij), A = sum_i x_i s_i, a_bar_i = 2 s_i.
// An asymmetric kij enters through its symmetric part (k_ij + k_ji)/2: A is the
// same either way, and a_bar_i is then the exact derivative of N^2 A. For a
// symmetric kij (k + k)/2 is exactly k.
template <class Real>
void classical(const BasicComponentParameters<Real>& p, KijRows kij, std::span<const StateScalar<Real>> x,
               BasicMixtureParameters<Real>& out)
{
    const std::size_t n = x.size();
    Real a = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        Real s = 0.0;
        if (kij.empty()) {
            for (std::size_t j = 0; j < n; ++j) s += x[j] * p.sqrt_product(i, j);
        }
        else {
            for (std::size_t j = 0; j < n; ++j) s += x[j] * p.sqrt_product(i, j) * (1.0 - (kij[i][j] + kij[j][i]) / 2.0);
        }
        a += x[i] * s;
        out.a_bar[i] = 2.0 * s;
    }
    out.a = a;
    linear_covolume(p, x, out);
}

// a_ij = sqrt(A_i A_j);
// s_i = sum_j x_j a_ij (1 - x_i k_ij - x_j k_ji), A = sum_i x_i s_i,
// t_i = 2 sum_j x_j a_ij k_ij (row i only), E = sum_m x_m^2 t_m,
// a_bar_i = 2 s_i - x_i t_i + E: the exact derivative for any kij, and equal
// to the sum with (k_ij + k_ji) in t_i when kij is symmetric.
template <class Real>
void iivdw(const BasicComponentParameters<Real>& p, KijRows kij, std::span<const StateScalar<Real>> x,
           BasicMixtureParameters<Real>& out)
{
    const std::size_t n = x.size();
    auto k = [&](std::size_t i, std::size_t j) { return kij.empty() ? 0.0 : kij[i][j]; };
    Real a = 0.0;
    Real e = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        Real s = 0.0;
        Real t = 0.0;
        for (std::size_t j = 0; j < n; ++j) {
            const Real xa = x[j] * p.sqrt_product(i, j);
            s += xa * (1.0 - x[i] * k(i, j) - x[j] * k(j, i));
            t += xa * k(i, j);
        }
        t = 2.0 * t;
        a += x[i] * s;
        e += x[i] * x[i] * t;
        out.a_bar[i] = 2.0 * s - x[i] * t;  // E is added below, once known
    }
    for (std::size_t i = 0; i < n; ++i) out.a_bar[i] += e;
    out.a = a;
    linear_covolume(p, x, out);
}

template void linear_covolume(const ComponentParameters&, std::span<const double>, MixtureParameters&);
template void classical(const ComponentParameters&, KijRows, std::span<const double>, MixtureParameters&);
template void iivdw(const ComponentParameters&, KijRows, std::span<const double>, MixtureParameters&);
template void linear_covolume(const BasicComponentParameters<Dual>&, std::span<const double>,
                              BasicMixtureParameters<Dual>&);
template void classical(const BasicComponentParameters<Dual>&, KijRows, std::span<const double>,
                        BasicMixtureParameters<Dual>&);
template void iivdw(const BasicComponentParameters<Dual>&, KijRows, std::span<const double>,
                    BasicMixtureParameters<Dual>&);
template void linear_covolume(const BasicComponentParameters<Tangent>&, std::span<const Tangent>,
                              BasicMixtureParameters<Tangent>&);
template void classical(const BasicComponentParameters<Tangent>&, KijRows, std::span<const Tangent>,
                        BasicMixtureParameters<Tangent>&);
template void iivdw(const BasicComponentParameters<Tangent>&, KijRows, std::span<const Tangent>,
                    BasicMixtureParameters<Tangent>&);
#define KOLVAR_INSTANTIATE(R) \
    template void linear_covolume(const BasicComponentParameters<R>&, std::span<const R>, \
        BasicMixtureParameters<R>&); \
    template void classical(const BasicComponentParameters<R>&, KijRows, std::span<const R>, \
        BasicMixtureParameters<R>&); \
    template void iivdw(const BasicComponentParameters<R>&, KijRows, std::span<const R>, BasicMixtureParameters<R>&);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo::rules
