// Gaussian elimination with partial pivoting for the small dense systems of
// the solvers (Newton steps, phase fractions, the coefficients of Anderson
// mixing), in place and without heap allocation.
#pragma once

#include <cmath>
#include <cstddef>
#include <span>
#include <utility>

namespace kolvar::thermo::numerics {

// Solves a x = b for the m x m matrix a, stored by rows of `stride` entries,
// leaving x in b and overwriting a. False when a pivot is not finite or not
// larger in magnitude than `smallest_pivot`, or when x is not finite. Each
// row's multiplier is its entry divided by the pivot or, with
// `by_reciprocal`, multiplied by the pivot's reciprocal (one division a
// column); the two round differently, and a caller keeps the one its
// iterations were settled with.
template <bool by_reciprocal = false>
bool solve_in_place(std::span<double> a, std::span<double> b, std::size_t m, std::size_t stride,
                    double smallest_pivot = 0.0)
{
    for (std::size_t col = 0; col < m; ++col) {
        std::size_t pivot = col;
        for (std::size_t row = col + 1; row < m; ++row)
            if (std::abs(a[row * stride + col]) > std::abs(a[pivot * stride + col])) pivot = row;
        const double largest = a[pivot * stride + col];
        if (!(std::abs(largest) > smallest_pivot) || !std::isfinite(largest)) return false;
        if (pivot != col) {
            for (std::size_t j = 0; j < m; ++j) std::swap(a[col * stride + j], a[pivot * stride + j]);
            std::swap(b[col], b[pivot]);
        }
        const double inverse = 1.0 / a[col * stride + col];
        for (std::size_t row = col + 1; row < m; ++row) {
            const double factor =
                by_reciprocal ? a[row * stride + col] * inverse : a[row * stride + col] / a[col * stride + col];
            if (factor == 0.0) continue;
            for (std::size_t j = col; j < m; ++j) a[row * stride + j] -= factor * a[col * stride + j];
            b[row] -= factor * b[col];
        }
    }
    for (std::size_t col = m; col-- > 0;) {
        double value = b[col];
        for (std::size_t j = col + 1; j < m; ++j) value -= a[col * stride + j] * b[j];
        b[col] = value / a[col * stride + col];
    }
    for (std::size_t i = 0; i < m; ++i)
        if (!std::isfinite(b[i])) return false;
    return true;
}

}  // namespace kolvar::thermo::numerics
