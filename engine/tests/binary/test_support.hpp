// Helpers shared by the binary design tests.
#pragma once

#include "engine/binary/equilibrium.hpp"
#include "engine/error.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolvar::engine::testing {

// Checks that `result` failed with this kind and exactly this message.
template <class T>
::testing::AssertionResult fails_with(const Result<T>& result, ErrorKind kind,
                                      const std::string& message)
{
    if (result) return ::testing::AssertionFailure() << "succeeded, expected: " << message;
    const EngineError& error = result.error();
    if (error.kind != kind || error.message != message) {
        return ::testing::AssertionFailure()
               << "failed with kind " << static_cast<unsigned>(error.kind) << " and \""
               << error.message << "\", expected kind " << static_cast<unsigned>(kind)
               << " and \"" << message << "\"";
    }
    return ::testing::AssertionSuccess();
}

inline EquilibriumCurve alpha_curve(double alpha, std::uint64_t n_points = 101)
{
    return EquilibriumCurve::constant_alpha(alpha, n_points).value();
}

// The constant-alpha curve (alpha 2.5) sampled every 0.1, with the sample at
// x = 0.8 pulled toward the diagonal from 0.909 to 0.86: a bulge that makes
// the rectifying pinch tangent rather than at the feed.
inline EquilibriumCurve bulging_curve()
{
    std::vector<double> x(11);
    std::vector<double> y(11);
    for (std::size_t i = 0; i <= 10; ++i) {
        x[i] = static_cast<double>(i) / 10.0;
        y[i] = 2.5 * x[i] / (1.0 + 1.5 * x[i]);
    }
    y[8] = 0.86;
    return EquilibriumCurve::from_points(x, y).value();
}

}  // namespace kolvar::engine::testing
