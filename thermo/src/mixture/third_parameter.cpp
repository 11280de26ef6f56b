// U and W of the mixture: u B and w B^2 for the two-parameter families, and the
// third-parameter rules implied by the three-parameter variants.
#include "mixture/rules.hpp"

#include <cmath>

namespace kolvar::thermo::rules {
namespace {

template <class Real>
void two_parameter(double u, double w, BasicMixtureParameters<Real>& out)
{
    const Real b = out.b;
    out.u = u * b;
    out.w = w * b * b;
    for (std::size_t i = 0; i < out.b_bar.size(); ++i) {
        out.u_bar[i] = u * out.b_bar[i];
        out.w_bar[i] = 2.0 * w * b * out.b_bar[i];
    }
}

// U = B + C, W = -B C with C and its derivatives c_bar_i = d(N C)/dN_i.
template <class Real>
void from_c(Real c, std::span<const Real> c_bar, BasicMixtureParameters<Real>& out)
{
    const Real b = out.b;
    out.u = b + c;
    out.w = -(b * c);
    for (std::size_t i = 0; i < out.b_bar.size(); ++i) {
        out.u_bar[i] = out.b_bar[i] + c_bar[i];
        out.w_bar[i] = -(out.b_bar[i] * c + b * c_bar[i]);
    }
}

// PatelTejaC: C = sum x_i C_i.
template <class Real>
void patel_teja(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                BasicMixtureParameters<Real>& out)
{
    Real c = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) c += x[i] * p.c[i];
    from_c(c, std::span<const Real>(p.c), out);
}

// PatelTejaUSBC: C = sum x_i sqrt(B_i) C_i / S with S = sum x_i sqrt(B_i).
template <class Real>
void patel_teja_usb(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                    BasicMixtureParameters<Real>& out)
{
    const std::size_t n = x.size();
    SmallVector<Real, 8> root_b(n, 0.0);
    Real s = 0.0;
    Real weighted = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        root_b[i] = sqrt(p.b[i]);
        s += x[i] * root_b[i];
        weighted += x[i] * root_b[i] * p.c[i];
    }
    const Real c = weighted / s;
    SmallVector<Real, 8> c_bar(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) c_bar[i] = c + (p.c[i] - c) * root_b[i] / s;
    from_c(c, std::span<const Real>(c_bar), out);
}

// SchmidtWenzelC: omega_m = sum x_i omega_i sqrt(A_i) / S with S = sum x_i sqrt(A_i);
// U = (1 + 3 omega_m) B, W = -3 omega_m B^2.
template <class Real>
void schmidt_wenzel(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                    BasicMixtureParameters<Real>& out)
{
    const std::size_t n = x.size();
    Real s = 0.0;
    Real weighted = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        s += x[i] * p.sqrt_a[i];
        weighted += x[i] * p.omega[i] * p.sqrt_a[i];
    }
    const Real omega_m = weighted / s;
    const Real u_m = 1.0 + 3.0 * omega_m;
    const Real b = out.b;
    out.u = u_m * b;
    out.w = -3.0 * omega_m * b * b;
    for (std::size_t i = 0; i < n; ++i) {
        const Real delta = (p.omega[i] - omega_m) * p.sqrt_a[i] / s;
        out.u_bar[i] = u_m * out.b_bar[i] + 3.0 * b * delta;
        out.w_bar[i] = -3.0 * (2.0 * b * omega_m * out.b_bar[i] + b * b * delta);
    }
}

}  // namespace

template <class Real>
void third_parameter(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                     BasicMixtureParameters<Real>& out)
{
    switch (p.eos) {
    case Eos::SchmidtWenzel: schmidt_wenzel(p, x, out); return;
    case Eos::PatelTeja: patel_teja(p, x, out); return;
    case Eos::PatelTejaUSB: patel_teja_usb(p, x, out); return;
    default: two_parameter(p.family_u, p.family_w, out); return;
    }
}

template void third_parameter(const ComponentParameters&, std::span<const double>, MixtureParameters&);
template void third_parameter(const BasicComponentParameters<Dual>&, std::span<const double>,
                              BasicMixtureParameters<Dual>&);
template void third_parameter(const BasicComponentParameters<Tangent>&, std::span<const Tangent>,
                              BasicMixtureParameters<Tangent>&);
#define KOLVAR_INSTANTIATE(R) \
    template void third_parameter(const BasicComponentParameters<R>&, std::span<const R>, BasicMixtureParameters<R>&);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo::rules
