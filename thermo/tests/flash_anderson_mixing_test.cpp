// Anderson mixing on linear fixed-point maps u <- A u + b: with no more
// distinct eigenvalues in A than remembered steps it is a Krylov method, and
// reaches the fixed point in a few passes however slowly the plain
// substitution contracts. (A strongly oscillating mode, an eigenvalue near
// -1, can make the residual rise and clear the memory: the mixing then
// falls back to the plain passes, which is what the split wants of it.)
#include "flash/anderson_mixing.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

namespace {

using kolvar::thermo::flash::AndersonMixing;

struct Spectrum {
    std::vector<double> eigenvalues;  // the rest of A's spectrum is 0
};

class AndersonLinear : public ::testing::TestWithParam<Spectrum> {};

TEST_P(AndersonLinear, ReachesTheFixedPointInAFewPasses)
{
    constexpr std::size_t n = 6;
    // A = V diag(lambda) V^-1 with V = I + a fixed strictly upper part: not
    // symmetric, so the directions are not orthogonal.
    std::array<std::array<double, n>, n> v{}, v_inverse{}, a{};
    for (std::size_t i = 0; i < n; ++i) {
        v[i][i] = 1.0;
        for (std::size_t j = i + 1; j < n; ++j) v[i][j] = 0.3 / static_cast<double>(j - i);
    }
    // Back substitution column by column for V^-1 (unit upper triangular).
    for (std::size_t c = 0; c < n; ++c) {
        for (std::size_t r = n; r-- > 0;) {
            double s = r == c ? 1.0 : 0.0;
            for (std::size_t k = r + 1; k < n; ++k) s -= v[r][k] * v_inverse[k][c];
            v_inverse[r][c] = s;
        }
    }
    const std::vector<double>& lambda = GetParam().eigenvalues;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            for (std::size_t k = 0; k < lambda.size(); ++k) a[i][j] += v[i][k] * lambda[k] * v_inverse[k][j];
    const std::array<double, n> b{0.4, -1.0, 0.25, 2.0, -0.5, 1.5};
    const auto map = [&](const std::vector<double>& u) {
        std::vector<double> g(n);
        for (std::size_t i = 0; i < n; ++i) {
            g[i] = b[i];
            for (std::size_t j = 0; j < n; ++j) g[i] += a[i][j] * u[j];
        }
        return g;
    };

    AndersonMixing mixing(n);
    std::vector<double> u(n, 0.0), f(n), next(n);
    unsigned passes = 0;
    double size = 1.0;
    for (; passes < 50 && size > 1e-12; ++passes) {
        const std::vector<double> g = map(u);
        size = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            f[i] = g[i] - u[i];
            size = std::fmax(size, std::abs(f[i]));
        }
        mixing.advise(g, f, next);
        u = next;
    }
    EXPECT_LE(passes, lambda.size() + 4);
    const std::vector<double> g = map(u);
    for (std::size_t i = 0; i < n; ++i) EXPECT_NEAR(g[i], u[i], 1e-11);
}

INSTANTIATE_TEST_SUITE_P(Spectra, AndersonLinear,
                         ::testing::Values(Spectrum{{0.99}}, Spectrum{{0.95, 0.5}}, Spectrum{{0.99, 0.9, -0.6}},
                                           Spectrum{{0.999, 0.98, 0.3}}));

}  // namespace
