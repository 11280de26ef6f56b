// Checks of the matrices and lists a constructor is given, each failure an
// InvalidInput naming the input as the caller wrote it ("kij",
// "parameters[\"b\"]"), and of a feed whose balances need mole fractions.
#pragma once

#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace kolvar::engine {

// "{what}[i][j] must be finite, got {v}" / "{what}[i] must be finite, got {v}".
Result<void> finite_entries(std::string_view what, const Matrix& matrix);
Result<void> finite_entries(std::string_view what, const std::vector<double>& values);

// Exactly `rows` rows of `columns` entries:
// "{what} must have 2 rows of 2 values, got 1 rows" (", one of 3 entries"
// added for the first row of another length).
Result<void> exact_shape(std::string_view what, const Matrix& matrix, std::size_t rows, std::size_t columns);

// The sum of a composition whose entries are all finite and non-negative:
// "{what} entries must be finite and non-negative, got {v} at index {i}".
Result<double> entry_sum(std::string_view what, std::span<const double> x);

// Mole fractions summing to 1 within 1e-6, as the balances of a feed need:
// "feed composition must be mole fractions summing to 1, got a sum of {s} (a
// composition in percent must be divided by 100)".
Result<void> normalised_feed(std::span<const double> z);

}  // namespace kolvar::engine
