#include "thermo/component_parameters.hpp"

#include "numerics/dual.hpp"

#include <cmath>

namespace kolvar::thermo {

template <class Real>
void component_parameters(std::span<const Component> components, Eos eos, Real temperature,
                          std::type_identity_t<StateScalar<Real>> pressure,
                          BasicComponentParameters<Real>& out)
{
    const std::size_t n = components.size();
    out.eos = eos;
    out.temperature = temperature;
    out.pressure = pressure;
    out.family_u = family_u(eos);
    out.family_w = family_w(eos);
    out.a.resize(n);
    out.b.resize(n);
    out.c.resize(n);
    out.omega.resize(n);
    out.sqrt_a.resize(n);
    out.sqrt_aa.resize(n * n);
    for (std::size_t i = 0; i < n; ++i) {
        const BasicReducedParameters<Real> r = reduced_parameters(eos, components[i], temperature, pressure);
        out.a[i] = r.a;
        out.b[i] = r.b;
        out.c[i] = r.c;
        out.omega[i] = components[i].omega;
        out.sqrt_a[i] = sqrt(r.a);
    }
    // A_i A_j and A_j A_i round alike: one root serves both entries.
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i; j < n; ++j) out.sqrt_aa[i * n + j] = out.sqrt_aa[j * n + i] = sqrt(out.a[i] * out.a[j]);
}

template void component_parameters(std::span<const Component>, Eos, double, double, ComponentParameters&);
template void component_parameters(std::span<const Component>, Eos, Dual, double, BasicComponentParameters<Dual>&);
template void component_parameters(std::span<const Component>, Eos, Tangent, Tangent,
                                   BasicComponentParameters<Tangent>&);
#define KOLVAR_INSTANTIATE(R) \
    template void component_parameters(std::span<const Component>, Eos, R, R, BasicComponentParameters<R>&);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

ComponentParameters component_parameters(std::span<const Component> components, Eos eos, double temperature,
                                         double pressure)
{
    ComponentParameters out;
    component_parameters(components, eos, temperature, pressure, out);
    return out;
}

}  // namespace kolvar::thermo
