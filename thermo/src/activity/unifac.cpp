// UNIFAC and UNIFAC-Dortmund: a combinatorial part from the molecules' sizes
// and shapes and a residual part from the interactions of their subgroups,
// from the bookkeeping prepared when the system was built.
//
// The composition-dependent quantities are of the type `Fraction` of the
// composition's entries, the temperature-dependent ones of `Real`, so a
// composition carrying derivatives needs no rewrite.
#include "activity/models.hpp"

#include "numerics/dual.hpp"
#include "thermo/group_contribution.hpp"
#include "thermo/small_vector.hpp"

#include <cmath>
#include <cstddef>

namespace kolvar::thermo::activity {
namespace {

// The lattice coordination number z, as z/2.
constexpr double half_coordination = 5.0;
// Inline room of the per-call arrays: subgroups, and main-group pairs.
constexpr std::size_t stack_subgroups = 32;
constexpr std::size_t stack_pairs = 256;

// Psi_mn between main-group indices, row m; the Dortmund form reads b and c.
template <class Real>
void interactions(const GroupMixture& g, Real temperature, std::span<Real> psi)
{
    const std::size_t m_count = g.main_groups;
    const bool dortmund = g.model == GroupModel::Dortmund;
    for (std::size_t m = 0; m < m_count; ++m) {
        for (std::size_t n = 0; n < m_count; ++n) {
            const std::size_t mn = m * m_count + n;
            if (m == n) {
                psi[mn] = 1.0;
            } else if (dortmund) {
                psi[mn] = exp(-(g.a[mn] / temperature + g.b[mn] + g.c[mn] * temperature));
            } else {
                psi[mn] = exp(-g.a[mn] / temperature);
            }
        }
    }
}

// ln Gamma_k = Q_k [1 - ln S_k - sum_m theta_m Psi_km / S_m], S_k = sum_m theta_m Psi_mk,
// over the subgroups `members` (indices into the mixture's K) with area
// fractions theta; written into out[j] for the j-th member.
template <class Real, class Fraction, class Members>
void residual_terms(const GroupMixture& g, std::span<const Real> psi, const Members& members,
                    std::span<const Fraction> theta, std::span<Real> s, std::span<Real> out)
{
    const std::size_t count = theta.size();
    const std::size_t m_count = g.main_groups;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t main_k = g.main_of[members(k)];
        Real sum = 0.0;
        for (std::size_t m = 0; m < count; ++m) sum += theta[m] * psi[g.main_of[members(m)] * m_count + main_k];
        s[k] = sum;
    }
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t row = g.main_of[members(k)] * m_count;
        Real tail = 0.0;
        for (std::size_t m = 0; m < count; ++m) tail += theta[m] * psi[row + g.main_of[members(m)]] / s[m];
        out[k] = g.area[members(k)] * (1.0 - log(s[k]) - tail);
    }
}

template <class Real, class Fraction>
void group_contribution(Real temperature, std::span<const Fraction> x, const GroupMixture& g, std::span<Real> out)
{
    const std::size_t n = x.size();
    const std::size_t k_count = g.subgroups;

    // Combinatorial part: V_i, F_i and V'_i through the mixture sums.
    Fraction sum_r = 0.0;
    Fraction sum_q = 0.0;
    Fraction sum_rc = 0.0;
    for (std::size_t j = 0; j < n; ++j) {
        sum_r += x[j] * g.r[j];
        sum_q += x[j] * g.q[j];
        sum_rc += x[j] * g.r_combinatorial[j];
    }

    SmallVector<Real, stack_pairs> psi(g.main_groups * g.main_groups);
    interactions<Real>(g, temperature, psi);

    // Area fractions of the subgroups in the mixture: theta_k ∝ Q_k sum_i nu_ki x_i.
    SmallVector<Fraction, stack_subgroups> theta(k_count);
    Fraction total = 0.0;
    for (std::size_t k = 0; k < k_count; ++k) {
        Fraction amount = 0.0;
        for (std::size_t i = 0; i < n; ++i) amount += g.counts[i * k_count + k] * x[i];
        theta[k] = g.area[k] * amount;
        total += theta[k];
    }
    for (Fraction& t : theta) t = t / total;
    SmallVector<Real, stack_subgroups> s(k_count);
    SmallVector<Real, stack_subgroups> ln_big_gamma(k_count);
    residual_terms<Real, Fraction>(g, psi, [](std::size_t k) { return k; }, std::span<const Fraction>(theta), s,
                                   ln_big_gamma);

    SmallVector<Real, stack_subgroups> ln_pure(k_count);
    for (std::size_t i = 0; i < n; ++i) {
        // The pure component's own subgroups, with their fixed area fractions.
        const std::size_t begin = g.pure_begin[i];
        const std::size_t own = g.pure_begin[i + 1] - begin;
        const auto members = [&g, begin](std::size_t j) { return g.pure_group[begin + j]; };
        if (own == 1) {
            ln_pure[0] = 0.0;  // one subgroup: theta = 1 and Psi = 1 give Q (1 - ln 1 - 1) = 0
        } else {
            residual_terms<Real, double>(g, psi, members, std::span<const double>(g.pure_theta).subspan(begin, own),
                                         std::span<Real>(s).first(own), std::span<Real>(ln_pure).first(own));
        }
        Real residual = 0.0;
        for (std::size_t j = 0; j < own; ++j) {
            const std::size_t k = members(j);
            residual += g.counts[i * k_count + k] * (ln_big_gamma[k] - ln_pure[j]);
        }

        const Fraction v_prime = g.r_combinatorial[i] / sum_rc;
        const Fraction v_over_f = g.r[i] * sum_q / (g.q[i] * sum_r);
        using std::log;
        const Fraction combinatorial = 1.0 - v_prime + log(v_prime) -
                                       half_coordination * g.q[i] * (1.0 - v_over_f + log(v_over_f));
        out[i] = combinatorial + residual;
    }
}

}  // namespace

template <class Real>
void unifac(Real temperature, std::span<const StateScalar<Real>> x, const ActivityInputs& inputs, std::span<Real> out)
{
    group_contribution<Real, StateScalar<Real>>(temperature, x, *inputs.groups, out);
}

template void unifac(double, std::span<const double>, const ActivityInputs&, std::span<double>);
template void unifac(Dual, std::span<const double>, const ActivityInputs&, std::span<Dual>);
template void unifac(Tangent, std::span<const Tangent>, const ActivityInputs&, std::span<Tangent>);
#define KOLVAR_INSTANTIATE(R) \
    template void unifac(R, std::span<const R>, const ActivityInputs&, std::span<R>);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo::activity
