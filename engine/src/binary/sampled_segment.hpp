// The two halves of a lookup in sampled data: finding the segment that holds
// a query and interpolating on it. Shared by interpolate and by the
// pseudo-equilibrium bisection, which remembers its segment between queries.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>

namespace kolvar::engine::detail {

// Index of the first entry >= c of the nondecreasing array a.
inline std::size_t first_at_least_sorted(std::span<const double> a, double c)
{
    return static_cast<std::size_t>(std::lower_bound(a.begin(), a.end(), c) - a.begin());
}

// b over a at c, on the segment that ends at index k, the first abscissa
// >= c; b[0] for k = 0, and the segment's lower value for a zero-width one.
inline double value_on_segment(std::span<const double> a, std::span<const double> b,
                               std::size_t k, double c)
{
    if (k == 0) return b[0];
    const std::size_t i = k - 1;
    const std::size_t j = std::min(k, a.size() - 1);
    const double x0 = a[i];
    const double x1 = a[j];
    const double y0 = b[i];
    const double y1 = b[j];
    if (x0 == x1) return y0;
    return (c - x0) * (y1 - y0) / (x1 - x0) + y0;
}

// The clamp of a query that passed the range check: max with lo, then min
// with hi.
inline double clamp_to(double q, double lo, double hi)
{
    const double c = lo < q ? q : lo;
    return c < hi ? c : hi;
}

}  // namespace kolvar::engine::detail
