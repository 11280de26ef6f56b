// ln phi_i of every component in one phase of a mixture.
#include "thermo/mixture.hpp"

#include "eos/attraction.hpp"
#include "mixture/phase_root.hpp"
#include "mixture/rules.hpp"
#include "kolvar/format.hpp"

#include <cmath>
#include <type_traits>

namespace kolvar::thermo {
namespace {

// g = integral from Z to infinity of dZ'/(Z'^2 + U Z' + W) and h = -dg/dW
// at fixed Z and U (its limit when the two roots of the denominator coincide).
// A Dual keeps the first-order term delta/(10 p^5) of h in the coincident
// case, as attraction_integral does for g.
template <class Real>
struct Attraction {
    Real g;
    Real h;
};

template <class Real>
Attraction<Real> attraction(Real z, Real u, Real w, Real inv_q)
{
    const AttractionIntegral<Real> integral = attraction_integral(Real(1.0), z, u, w);
    const Real g = integral.value;
    if (integral.coincident) {
        const Real p = z + u / 2.0;
        Real h = 1.0 / (3.0 * p * p * p);
        if constexpr (is_dual<Real>) add_slopes(h, integral.delta / (10.0 * p * p * p * p * p));
        return {g, h};
    }
    return {g, ((2.0 * z + u) * inv_q - 2.0 * g) * (1.0 / integral.delta)};
}

}  // namespace

template <class Real>
std::expected<void, EosError> mixture_ln_phi(const MixtureSpec& spec, const BasicComponentParameters<Real>& components,
                                             std::span<const StateScalar<Real>> composition, Phase phase,
                                             std::type_identity_t<std::span<Real>> out, double* compressibility)
{
    BasicMixtureParameters<Real> m;
    if (auto ok = mixture_parameters(spec, components, composition, m); !ok) return ok;
    const std::size_t n = composition.size();
    if (out.size() != n)
        return std::unexpected(EosError::dimension_mismatch(
            format::text("output.len()=", out.size(), " but components.len()=", n)));
    return rules::ln_phi_of_mixture(m, components.eos, phase, out, compressibility);
}

template <class Real>
std::expected<void, EosError> rules::ln_phi_of_mixture(const BasicMixtureParameters<Real>& m, Eos eos, Phase phase,
                                                       std::span<Real> out, double* compressibility)
{
    const std::size_t n = out.size();
    const BasicCubicCoefficients<Real> k = cubic_coefficients(m.a, m.b, m.u, m.w);
    const auto root = phase_root(values_of(k), value_of(m.b), phase);
    if (!root) return std::unexpected(EosError::cubic_failed(root.error()));
    if (!*root) return std::unexpected(EosError::no_real_root(value_of(m.b), phase));
    const Real z = root_with_slope(**root, k);
    if (compressibility) *compressibility = **root;

    const Real ln_free = log(z - m.b);
    if (!is_three_parameter(eos) && m.b > 0.0) {
        // Two-parameter variants have U = u B and W = w B^2 whatever the a/b
        // rule, and with the equation of state at the root, Z - 1 =
        // B/(Z - B) - Z A/Q, the form below reduces to
        //   ln phi_i = (b_bar_i/B)(Z - 1) - ln(Z - B) - g (a_bar_i - A b_bar_i/B).
        const Real g = attraction_integral(Real(1.0), z, m.u, m.w).value;
        const Real inv_b = 1.0 / m.b;
        for (std::size_t i = 0; i < n; ++i) {
            const Real beta = m.b_bar[i] * inv_b;
            out[i] = beta * (z - 1.0) - ln_free - g * (m.a_bar[i] - m.a * beta);
        }
        return {};
    }

    const Real inv_q = 1.0 / ((z + m.u) * z + m.w);  // 1/Q
    const auto [g, h] = attraction(z, m.u, m.w, inv_q);
    const Real repulsion = 1.0 / (z - m.b);
    const Real za_q = z * m.a * inv_q;
    const Real u_weight = 0.5 * inv_q - (m.u / 2.0) * h;
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = m.b_bar[i] * repulsion - ln_free - (m.a_bar[i] - m.a) * g - za_q +
                 m.a * ((m.u_bar[i] - m.u) * u_weight + (m.w_bar[i] - 2.0 * m.w) * h);
    }
    return {};
}

template std::expected<void, EosError> rules::ln_phi_of_mixture(const MixtureParameters&, Eos, Phase, std::span<double>,
                                                                 double*);
template std::expected<void, EosError> rules::ln_phi_of_mixture(const BasicMixtureParameters<Dual>&, Eos, Phase,
                                                                 std::span<Dual>, double*);
template std::expected<void, EosError> rules::ln_phi_of_mixture(const BasicMixtureParameters<Tangent>&, Eos, Phase,
                                                                 std::span<Tangent>, double*);
template std::expected<void, EosError> mixture_ln_phi(const MixtureSpec&, const ComponentParameters&,
                                                      std::span<const double>, Phase, std::span<double>, double*);
template std::expected<void, EosError> mixture_ln_phi(const MixtureSpec&, const BasicComponentParameters<Dual>&,
                                                      std::span<const double>, Phase, std::span<Dual>, double*);
template std::expected<void, EosError> mixture_ln_phi(const MixtureSpec&, const BasicComponentParameters<Tangent>&,
                                                      std::span<const Tangent>, Phase, std::span<Tangent>, double*);
#define KOLVAR_INSTANTIATE(R) \
    template std::expected<void, EosError> rules::ln_phi_of_mixture(const BasicMixtureParameters<R>&, Eos, Phase, \
        std::span<R>, double*); \
    template std::expected<void, EosError> mixture_ln_phi(const MixtureSpec&, const BasicComponentParameters<R>&, \
        std::span<const R>, Phase, std::span<R>, double*);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

std::expected<std::vector<double>, EosError> mixture_ln_phi(const MixtureSpec& spec, Eos eos, double temperature,
                                                            double pressure, std::span<const double> composition,
                                                            Phase phase)
{
    const ComponentParameters components = component_parameters(spec.components, eos, temperature, pressure);
    std::vector<double> out(spec.components.size());
    if (auto ok = mixture_ln_phi(spec, components, composition, phase, out); !ok) return std::unexpected(ok.error());
    return out;
}

}  // namespace kolvar::thermo
