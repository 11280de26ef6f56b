// The excess-Gibbs-energy a/b rules: Huron-Vidal (original and simplified),
// MHV1, MHV2 and Wong-Sandler. alpha_i = A_i/B_i; the activity model gives
// ln gamma_i and gE/RT = sum x_i ln gamma_i at (T, x).
#include "mixture/rules.hpp"

#include "eos/attraction.hpp"

#include <cmath>

namespace kolvar::thermo::rules {
namespace {

// Lambda = integral from 1 to infinity of dz/(z^2 + u z + w); the reference
// constant of the Huron-Vidal and Wong-Sandler rules is q = -Lambda.
double lambda(double u, double w) { return attraction_integral(1.0, 1.0, u, w).value; }

template <class Real>
struct GeState {
    SmallVector<Real, 8> alpha;      // A_i / B_i
    SmallVector<Real, 8> ln_gamma;
    Real ge = 0.0;                   // gE/RT
    Real mean_alpha = 0.0;           // sum x_i alpha_i
};

template <class Real>
void huron_vidal_original(const BasicComponentParameters<Real>& p, const GeState<Real>& g, double q,
                          BasicMixtureParameters<Real>& out)
{
    const Real b = out.b;
    const Real alpha = g.mean_alpha + g.ge / q;
    out.a = b * alpha;
    for (std::size_t i = 0; i < g.alpha.size(); ++i)
        out.a_bar[i] = b * (g.alpha[i] + g.ln_gamma[i] / q) + p.b[i] * alpha;
}

// HuronVidalSimplified and MHV1: the same formulas with different q.
template <class Real>
void huron_vidal_simplified(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x,
                            const GeState<Real>& g, double q, BasicMixtureParameters<Real>& out)
{
    const Real b = out.b;
    Real log_b_ratio = 0.0;  // sum x_i ln(B/B_i)
    for (std::size_t i = 0; i < x.size(); ++i) log_b_ratio += x[i] * log(b / p.b[i]);
    const Real alpha = g.mean_alpha + (g.ge + log_b_ratio) / q;
    out.a = b * alpha;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const Real bi = p.b[i];
        out.a_bar[i] = b * (g.alpha[i] + (g.ln_gamma[i] + log(b / bi) + bi / b - 1.0) / q) + bi * alpha;
    }
}

// alpha solves q2 alpha^2 + q1 alpha - r = 0 (the larger root; a negative
// discriminant gives NaN, which the cubic solver reports).
template <class Real>
void mhv2(const BasicComponentParameters<Real>& p, std::span<const StateScalar<Real>> x, const GeState<Real>& g,
          double q1, double q2, BasicMixtureParameters<Real>& out)
{
    const Real b = out.b;
    Real log_b_ratio = 0.0;
    Real quadratic = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const Real ai = g.alpha[i];
        log_b_ratio += x[i] * log(b / p.b[i]);
        quadratic += x[i] * (q1 * ai + q2 * ai * ai);
    }
    const Real r = g.ge + log_b_ratio + quadratic;
    const Real d = q1 * q1 + 4.0 * q2 * r;
    const Real sq = sqrt(d);
    const Real alpha_m = fmax((-q1 + sq) / (2.0 * q2), (-q1 - sq) / (2.0 * q2));
    out.a = b * alpha_m;
    const Real e2 = q1 + 2.0 * q2 * alpha_m;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const Real ai = g.alpha[i];
        const Real bi = p.b[i];
        const Real bracket = g.ln_gamma[i] + log(b / bi) + bi / b - 1.0 + q1 * ai +
                             q2 * (ai * ai + alpha_m * alpha_m);
        out.a_bar[i] = b * bracket / e2 + bi * alpha_m;
    }
}

// s_i = sum_j x_j ((B_i - A_i) + (B_j - A_j))/2 (1 - k_ij), Q = sum x_i s_i,
// D = sum x_i alpha_i + gE/(RT q), B = Q/(1 - D), A = B D. An asymmetric kij
// enters through its symmetric part, which keeps b_bar and a_bar the exact
// derivatives; a symmetric kij is used as it is.
template <class Real>
void wong_sandler(const BasicComponentParameters<Real>& p, KijRows kij, std::span<const StateScalar<Real>> x,
                  const GeState<Real>& g, double q, BasicMixtureParameters<Real>& out)
{
    const std::size_t n = x.size();
    SmallVector<Real, 8> s(n, 0.0);
    Real big_q = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        Real si = 0.0;
        for (std::size_t j = 0; j < n; ++j) {
            const Real pair = 0.5 * ((p.b[i] - p.a[i]) + (p.b[j] - p.a[j]));
            si += kij.empty() ? x[j] * pair : x[j] * pair * (1.0 - (kij[i][j] + kij[j][i]) / 2.0);
        }
        s[i] = si;
        big_q += x[i] * si;
    }
    const Real d = g.mean_alpha + g.ge / q;
    const Real one_minus_d = 1.0 - d;
    const Real b = big_q / one_minus_d;
    out.b = b;
    out.a = b * d;
    for (std::size_t i = 0; i < n; ++i) {
        const Real d_bar = g.alpha[i] + g.ln_gamma[i] / q;
        const Real b_bar = 2.0 * s[i] / one_minus_d - big_q * (1.0 - d_bar) / (one_minus_d * one_minus_d);
        out.b_bar[i] = b_bar;
        out.a_bar[i] = d_bar * b + d * b_bar;
    }
}

}  // namespace

template <class Real>
void ge_based(const rule_data::RuleRow& rule, const GeSpec& ge, const ActivityInputs& activity,
              const BasicComponentParameters<Real>& p, KijRows kij, std::span<const StateScalar<Real>> x,
              BasicMixtureParameters<Real>& out)
{
    const std::size_t n = x.size();
    GeState<Real> g;
    g.alpha.resize(n);
    g.ln_gamma.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        g.alpha[i] = p.a[i] / p.b[i];
        g.mean_alpha += x[i] * g.alpha[i];
    }
    g.ge = excess_gibbs(ge.model, p.temperature, x, activity, std::span<Real>(g.ln_gamma));

    using rule_data::AbStage;
    const double q = rule.reference == rule_data::Reference::Fixed ? rule.q[0] : -lambda(p.family_u, p.family_w);
    switch (rule.stage) {
    case AbStage::WongSandler: wong_sandler(p, kij, x, g, q, out); return;
    case AbStage::HuronVidalOriginal: linear_covolume(p, x, out); huron_vidal_original(p, g, q, out); return;
    case AbStage::HuronVidalSimplified: linear_covolume(p, x, out); huron_vidal_simplified(p, x, g, q, out); return;
    case AbStage::MHV2: linear_covolume(p, x, out); mhv2(p, x, g, rule.q[0], rule.q[1], out); return;
    default: internal_fault("internal error: entered unreachable code: validated");
    }
}

template void ge_based(const rule_data::RuleRow&, const GeSpec&, const ActivityInputs&, const ComponentParameters&,
                       KijRows, std::span<const double>, MixtureParameters&);
template void ge_based(const rule_data::RuleRow&, const GeSpec&, const ActivityInputs&,
                       const BasicComponentParameters<Dual>&, KijRows, std::span<const double>,
                       BasicMixtureParameters<Dual>&);
template void ge_based(const rule_data::RuleRow&, const GeSpec&, const ActivityInputs&,
                       const BasicComponentParameters<Tangent>&, KijRows, std::span<const Tangent>,
                       BasicMixtureParameters<Tangent>&);
#define KOLVAR_INSTANTIATE(R) \
    template void ge_based(const rule_data::RuleRow&, const GeSpec&, const ActivityInputs&, \
        const BasicComponentParameters<R>&, KijRows, std::span<const R>, BasicMixtureParameters<R>&);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo::rules
