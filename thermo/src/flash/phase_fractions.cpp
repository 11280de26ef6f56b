// Michelsen's phase fractions of a multiphase split at given fugacity
// coefficients.
#include "flash/phase_fractions.hpp"

#include "numerics/elimination.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kolvar::thermo::flash {
namespace {

constexpr unsigned fraction_steps = 100;

// Solves the m x m system (m <= 3) h s = -g, leaving s in g; false when it
// is singular.
bool solve(std::array<double, 9>& h, std::array<double, 3>& g, std::size_t m)
{
    for (std::size_t i = 0; i < m; ++i) g[i] = -g[i];
    return numerics::solve_in_place(h, std::span<double>(g.data(), m), m, 3, 1e-300);
}

// Two phases of two components: where both phases are present, Q's
// stationary point solves two linear systems, first for u_i = z_i / E_i
// (sum_i u_i / phi_ik = 1 for each phase), then for beta (E_i = z_i / u_i).
// Q being convex, that point is its minimum over beta >= 0 when both
// fractions are positive. Writes beta and E and returns true only then, and
// only when the gradient there vanishes to 1e-12 (not so when the two
// phases are nearly alike and the systems nearly singular).
bool interior_pair(std::span<const double> z, const SmallVector<TrialList, max_phases>& inverse_phi,
                   std::span<double> beta, std::span<double> e)
{
    const double a11 = inverse_phi[0][0];
    const double a12 = inverse_phi[0][1];
    const double a21 = inverse_phi[1][0];
    const double a22 = inverse_phi[1][1];
    const double det = a11 * a22 - a12 * a21;
    const double u1 = (a22 - a12) / det;
    const double u2 = (a11 - a21) / det;
    if (!(u1 > 0.0 && u2 > 0.0 && std::isfinite(u1) && std::isfinite(u2))) return false;
    const double e1 = z[0] / u1;
    const double e2 = z[1] / u2;
    const double b1 = (e1 * a22 - e2 * a21) / det;
    const double b2 = (a11 * e2 - a12 * e1) / det;
    if (!(b1 > 0.0 && b2 > 0.0 && std::isfinite(b1) && std::isfinite(b2))) return false;
    const std::array<double, 2> b{b1, b2};
    std::array<double, 2> sums{};
    weights(b, inverse_phi, sums);
    if (!(sums[0] > 0.0 && sums[1] > 0.0)) return false;
    for (std::size_t k = 0; k < 2; ++k) {
        const double gradient = 1.0 - z[0] * inverse_phi[k][0] / sums[0] - z[1] * inverse_phi[k][1] / sums[1];
        if (!(std::abs(gradient) < 1e-12)) return false;
    }
    beta[0] = b1;
    beta[1] = b2;
    e[0] = sums[0];
    e[1] = sums[1];
    return true;
}

}  // namespace

// E_i = sum_k beta_k / phi_ik.
void weights(std::span<const double> beta, const SmallVector<TrialList, max_phases>& inverse_phi,
             std::span<double> e)
{
    for (std::size_t i = 0; i < e.size(); ++i) {
        double sum = 0.0;
        for (std::size_t k = 0; k < beta.size(); ++k) sum += beta[k] * inverse_phi[k][i];
        e[i] = sum;
    }
}

// Minimises Q(beta) = sum beta_k - sum z_i ln E_i over beta >= 0 by Newton
// steps on the phases that are present or want to be (gradient below 0),
// each step shortened to stay inside beta >= 0 and halved until Q falls.
void minimise_fractions(std::span<const double> z, const SmallVector<TrialList, max_phases>& inverse_phi,
                        std::span<double> beta, std::span<double> e)
{
    const std::size_t m = beta.size();
    const std::size_t n = z.size();
    if (m == 2 && n == 2 && z[0] > 0.0 && z[1] > 0.0 && interior_pair(z, inverse_phi, beta, e)) return;
    auto q_of = [&](std::span<const double> b, std::span<double> out) {
        weights(b, inverse_phi, out);
        double q = 0.0;
        for (double v : b) q += v;
        for (std::size_t i = 0; i < n; ++i) {
            if (z[i] == 0.0) continue;
            if (!(out[i] > 0.0)) return std::numeric_limits<double>::infinity();
            q -= z[i] * std::log(out[i]);
        }
        return q;
    };
    TrialList trial_e(n);
    std::array<double, 3> trial_beta{};
    double q = q_of(beta, e);
    for (unsigned step = 0; step < fraction_steps; ++step) {
        std::array<double, 3> g{};
        std::array<double, 9> h{};
        for (std::size_t k = 0; k < m; ++k) {
            double grad = 1.0;
            for (std::size_t i = 0; i < n; ++i) {
                if (z[i] == 0.0) continue;
                const double t = z[i] * inverse_phi[k][i] / e[i];
                grad -= t;
                for (std::size_t l = 0; l < m; ++l) h[k * 3 + l] += t * inverse_phi[l][i] / e[i];
            }
            g[k] = grad;
        }
        // The free phases: present, or absent with a falling Q.
        std::array<std::size_t, 3> free{};
        std::size_t f = 0;
        double largest = 0.0;
        for (std::size_t k = 0; k < m; ++k) {
            if (beta[k] > 0.0 || g[k] < 0.0) {
                free[f++] = k;
                largest = std::fmax(largest, std::abs(g[k]));
            }
        }
        if (f == 0 || largest < 1e-14) return;
        std::array<double, 9> hf{};
        std::array<double, 3> s{};
        for (std::size_t a = 0; a < f; ++a) {
            s[a] = g[free[a]];
            for (std::size_t b = 0; b < f; ++b) hf[a * 3 + b] = h[free[a] * 3 + free[b]];
        }
        // The gradient scaled by the Hessian's diagonal, where Newton's step
        // is not to be had.
        const auto scaled_gradient = [&] {
            for (std::size_t a = 0; a < f; ++a) s[a] = -g[free[a]] / std::fmax(h[free[a] * 3 + free[a]], 1e-300);
        };
        // The longest step inside beta >= 0, and the phase whose bound ends it.
        double length = 1.0;
        double size = 0.0;
        std::size_t stop = f;
        const auto bound_step = [&] {
            length = 1.0;
            stop = f;
            for (std::size_t a = 0; a < f; ++a) {
                if (s[a] < 0.0 && beta[free[a]] + s[a] < 0.0 && beta[free[a]] / -s[a] < length) {
                    length = beta[free[a]] / -s[a];
                    stop = a;
                }
            }
            size = 0.0;
            for (std::size_t a = 0; a < f; ++a) size = std::fmax(size, std::abs(length * s[a]));
        };
        // Two phases alike make the Hessian singular, and so do more phases
        // than components, where a phase that should enter may have to
        // replace one present: a Newton step that then does not descend, or
        // that a phase held at zero stops at once, gives way to the gradient.
        const bool newton = solve(hf, s, f);
        if (!newton) scaled_gradient();
        bound_step();
        if (newton) {
            double slope = 0.0;
            for (std::size_t a = 0; a < f; ++a) slope += g[free[a]] * s[a];
            if (size < 1e-15 || !(slope < 0.0)) {
                scaled_gradient();
                bound_step();
            }
        }
        if (size < 1e-15) {
            // A phase left with a share of rounding size blocks every step
            // that takes it out: it leaves, and the phases that remain go on.
            if (stop == f || !(beta[free[stop]] < 1e-12)) return;
            beta[free[stop]] = 0.0;
            q = q_of(beta, e);
            continue;
        }
        bool moved = false;
        for (int halving = 0; halving < 60; ++halving) {
            if (halving == 30) {
                // The Newton direction does not lower Q (two phases nearly
                // alike): steepest descent instead.
                for (std::size_t a = 0; a < f; ++a) s[a] = -g[free[a]];
                bound_step();
            }
            for (std::size_t k = 0; k < m; ++k) trial_beta[k] = beta[k];
            for (std::size_t a = 0; a < f; ++a) trial_beta[free[a]] = std::fmax(0.0, beta[free[a]] + length * s[a]);
            // The whole step to a bound leaves that phase at zero exactly,
            // not at a rounding remainder.
            if (halving % 30 == 0 && stop < f) trial_beta[free[stop]] = 0.0;
            const double q_new = q_of(std::span<const double>(trial_beta.data(), m), trial_e);
            if (q_new <= q + 1e-15 * std::abs(q)) {
                const bool same = std::equal(beta.begin(), beta.end(), trial_beta.begin());
                std::copy_n(trial_beta.begin(), m, beta.begin());
                std::copy(trial_e.begin(), trial_e.end(), e.begin());
                q = q_new;
                moved = !same;
                break;
            }
            length *= 0.5;
        }
        if (!moved) return;
    }
}

}  // namespace kolvar::thermo::flash
