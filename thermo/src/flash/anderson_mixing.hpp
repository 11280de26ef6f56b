// Anderson mixing of a fixed-point iteration u <- g(u). From the last few
// passes' residuals f_k = g(u_k) - u_k it takes the combination of the recent
// passes whose residual, linearly predicted, is smallest:
//   gamma = argmin |f_k - dF gamma|,  u_{k+1} = g(u_k) - dG gamma,
// dF and dG holding the differences of consecutive residuals and values.
// Near the fixed point, where g is nearly linear, this is a secant method in
// the space the recent steps span: with as many remembered steps as the
// iteration has slow directions it converges in a few passes where the plain
// substitution contracts by a fixed factor per pass. A pass whose residual
// does not fall below the previous one's clears the memory, and the plain
// value comes next. No heap allocation for up to 24 variables.
#pragma once

#include "numerics/elimination.hpp"
#include "thermo/small_vector.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <span>

namespace kolvar::thermo::flash {

class AndersonMixing {
public:
    static constexpr std::size_t depth = 3;  // remembered steps
    using List = SmallVector<double, 24>;

    explicit AndersonMixing(std::size_t n) : last_f_(n, 0.0), last_g_(n, 0.0)
    {
        for (std::size_t j = 0; j < depth; ++j) {
            df_[j] = List(n, 0.0);
            dg_[j] = List(n, 0.0);
        }
    }

    // Forget the remembered steps (the iteration jumped, e.g. to another root).
    void clear()
    {
        count_ = 0;
        first_ = 0;
        have_last_ = false;
    }

    // The pass from u to g = g(u), f = g - u; writes the next u into `next`
    // (g itself when there is nothing to combine yet) and says whether it
    // differs from g.
    bool advise(std::span<const double> g, std::span<const double> f, std::span<double> next)
    {
        const std::size_t n = g.size();
        double size = 0.0;
        for (std::size_t i = 0; i < n; ++i) size += f[i] * f[i];
        if (have_last_ && !(size < last_size_)) count_ = 0;
        else if (have_last_) {
            // Oldest entry out when full.
            const std::size_t slot = count_ < depth ? at(count_++) : replace_oldest();
            for (std::size_t i = 0; i < n; ++i) {
                df_[slot][i] = f[i] - last_f_[i];
                dg_[slot][i] = g[i] - last_g_[i];
            }
        }
        for (std::size_t i = 0; i < n; ++i) {
            last_f_[i] = f[i];
            last_g_[i] = g[i];
            next[i] = g[i];
        }
        last_size_ = size;
        have_last_ = true;
        if (count_ == 0) return false;
        std::array<double, depth> gamma{};
        if (!least_squares(f, gamma)) {
            count_ = 0;
            return false;
        }
        for (std::size_t j = 0; j < count_; ++j)
            for (std::size_t i = 0; i < n; ++i) next[i] -= gamma[j] * dg_[at(j)][i];
        return true;
    }

private:
    // The differences are kept in a ring: entry j, oldest first, is in slot at(j).
    std::size_t at(std::size_t j) const { return (first_ + j) % depth; }

    // The slot of the oldest difference, which becomes the newest.
    std::size_t replace_oldest()
    {
        const std::size_t slot = first_;
        first_ = (first_ + 1) % depth;
        return slot;
    }

    // gamma minimising |f - dF gamma| by the normal equations with partial
    // pivoting; false when they are singular.
    bool least_squares(std::span<const double> f, std::array<double, depth>& gamma) const
    {
        const std::size_t p = count_;
        std::array<double, depth * depth> a{};
        for (std::size_t r = 0; r < p; ++r) {
            const List& row = df_[at(r)];
            for (std::size_t c = r; c < p; ++c) {
                const List& column = df_[at(c)];
                double sum = 0.0;
                for (std::size_t i = 0; i < f.size(); ++i) sum += row[i] * column[i];
                a[r * depth + c] = sum;
                a[c * depth + r] = sum;
            }
            double sum = 0.0;
            for (std::size_t i = 0; i < f.size(); ++i) sum += row[i] * f[i];
            gamma[r] = sum;
        }
        return numerics::solve_in_place(a, std::span<double>(gamma.data(), p), p, depth, 1e-300);
    }

    std::array<List, depth> df_, dg_;
    List last_f_, last_g_;
    double last_size_ = 0.0;
    std::size_t count_ = 0;
    std::size_t first_ = 0;  // the slot of the oldest difference
    bool have_last_ = false;
};

}  // namespace kolvar::thermo::flash
