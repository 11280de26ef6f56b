// Block elimination of a block-tridiagonal system.
#include "column/mesh/block_tridiagonal.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kolvar::engine::mesh {
namespace {

// LU of the m x m matrix a in place with row pivots; false when singular.
bool factor(std::span<double> a, std::size_t m, std::span<std::size_t> pivot)
{
    for (std::size_t k = 0; k < m; ++k) {
        std::size_t p = k;
        for (std::size_t r = k + 1; r < m; ++r)
            if (std::abs(a[r * m + k]) > std::abs(a[p * m + k])) p = r;
        pivot[k] = p;
        if (!(std::abs(a[p * m + k]) > 0.0) || !std::isfinite(a[p * m + k])) return false;
        if (p != k)
            for (std::size_t c = 0; c < m; ++c) std::swap(a[k * m + c], a[p * m + c]);
        const double inv = 1.0 / a[k * m + k];
        for (std::size_t r = k + 1; r < m; ++r) {
            const double f = a[r * m + k] *= inv;
            if (f == 0.0) continue;
            for (std::size_t c = k + 1; c < m; ++c) a[r * m + c] -= f * a[k * m + c];
        }
    }
    return true;
}

// Solves (LU) X = B in place for B of m rows and `cols` columns.
void substitute(std::span<const double> lu, std::size_t m, std::span<const std::size_t> pivot, std::span<double> b,
                std::size_t cols)
{
    for (std::size_t k = 0; k < m; ++k)
        if (pivot[k] != k)
            for (std::size_t c = 0; c < cols; ++c) std::swap(b[k * cols + c], b[pivot[k] * cols + c]);
    for (std::size_t r = 1; r < m; ++r)
        for (std::size_t k = 0; k < r; ++k) {
            const double f = lu[r * m + k];
            if (f != 0.0)
                for (std::size_t c = 0; c < cols; ++c) b[r * cols + c] -= f * b[k * cols + c];
        }
    for (std::size_t r = m; r-- > 0;) {
        for (std::size_t k = r + 1; k < m; ++k) {
            const double f = lu[r * m + k];
            if (f != 0.0)
                for (std::size_t c = 0; c < cols; ++c) b[r * cols + c] -= f * b[k * cols + c];
        }
        const double inv = 1.0 / lu[r * m + r];
        for (std::size_t c = 0; c < cols; ++c) b[r * cols + c] *= inv;
    }
}

}  // namespace

BlockTridiagonal::BlockTridiagonal(std::vector<std::size_t> sizes) : sizes_(std::move(sizes))
{
    const std::size_t nb = sizes_.size();
    lower_.resize(nb);
    diagonal_.resize(nb);
    upper_.resize(nb);
    offsets_.resize(nb + 1, 0);
    std::size_t largest = 0;
    for (std::size_t b = 0; b < nb; ++b) {
        offsets_[b + 1] = offsets_[b] + sizes_[b];
        diagonal_[b].resize(sizes_[b] * sizes_[b]);
        if (b > 0) lower_[b].resize(sizes_[b] * sizes_[b - 1]);
        if (b + 1 < nb) upper_[b].resize(sizes_[b] * sizes_[b + 1]);
        largest = std::max(largest, sizes_[b]);
    }
    pivots_.resize(largest);
}

void BlockTridiagonal::clear()
{
    for (auto* part : {&lower_, &diagonal_, &upper_})
        for (auto& block : *part) std::fill(block.begin(), block.end(), 0.0);
}

Result<void> BlockTridiagonal::solve(std::span<double> rhs)
{
    const std::size_t nb = sizes_.size();
    // Forward: D'_b = D_b - L_b G_{b-1}, r'_b = r_b - L_b g_{b-1}, then
    // G_b = D'_b^-1 U_b (kept in upper_) and g_b = D'_b^-1 r'_b (kept in rhs).
    for (std::size_t b = 0; b < nb; ++b) {
        const std::size_t m = sizes_[b];
        std::span<double> d(diagonal_[b]);
        std::span<double> r = rhs.subspan(offsets_[b], m);
        if (b > 0) {
            const std::size_t mp = sizes_[b - 1];
            const std::span<const double> g_prev = rhs.subspan(offsets_[b - 1], mp);
            const std::vector<double>& gp = upper_[b - 1];  // mp x m
            const std::vector<double>& l = lower_[b];       // m x mp
            for (std::size_t i = 0; i < m; ++i)
                for (std::size_t k = 0; k < mp; ++k) {
                    const double f = l[i * mp + k];
                    if (f == 0.0) continue;
                    r[i] -= f * g_prev[k];
                    for (std::size_t c = 0; c < m; ++c) d[i * m + c] -= f * gp[k * m + c];
                }
        }
        std::span<std::size_t> pivot(pivots_.data(), m);
        if (!factor(d, m, pivot))
            return not_converged(format::text("the stage equations' Jacobian is singular at block ", std::uint64_t{b}));
        substitute(d, m, pivot, r, 1);
        if (b + 1 < nb) substitute(d, m, pivot, upper_[b], sizes_[b + 1]);
    }
    // Back: x_b = g_b - G_b x_{b+1}.
    for (std::size_t b = nb - 1; b-- > 0;) {
        const std::size_t m = sizes_[b], mn = sizes_[b + 1];
        std::span<double> x = rhs.subspan(offsets_[b], m);
        const std::span<const double> next = rhs.subspan(offsets_[b + 1], mn);
        for (std::size_t i = 0; i < m; ++i)
            for (std::size_t c = 0; c < mn; ++c) x[i] -= upper_[b][i * mn + c] * next[c];
    }
    return {};
}

}  // namespace kolvar::engine::mesh
