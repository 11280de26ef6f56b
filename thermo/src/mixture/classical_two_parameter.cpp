// Classical mixing without kij for a two-parameter variant, in one pass.
#include "mixture/rules.hpp"

namespace kolvar::thermo::rules {

template <class Real>
void classical_two_parameter(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                             BasicMixtureParameters<Real>& out)
{
    const std::size_t n = x.size();
    Real a = 0.0;
    Real b = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        Real s = 0.0;
        for (std::size_t j = 0; j < n; ++j) s += x[j] * p.sqrt_product(i, j);
        a += x[i] * s;
        out.a_bar[i] = 2.0 * s;
        b += x[i] * p.b[i];
        out.b_bar[i] = p.b[i];
    }
    out.a = a;
    out.b = b;
    const double u = p.family_u;
    const double w = p.family_w;
    out.u = u * b;
    out.w = w * b * b;
    for (std::size_t i = 0; i < n; ++i) {
        out.u_bar[i] = u * out.b_bar[i];
        out.w_bar[i] = 2.0 * w * b * out.b_bar[i];
    }
}

template void classical_two_parameter(const ComponentParameters&, std::span<const double>, MixtureParameters&);
template void classical_two_parameter(const BasicComponentParameters<Dual>&, std::span<const double>,
                                      BasicMixtureParameters<Dual>&);
template void classical_two_parameter(const BasicComponentParameters<Tangent>&, std::span<const Tangent>,
                                      BasicMixtureParameters<Tangent>&);
#define KOLVAR_INSTANTIATE(R) \
    template void classical_two_parameter(const BasicComponentParameters<R>&, std::span<const R>, \
        BasicMixtureParameters<R>&);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo::rules
