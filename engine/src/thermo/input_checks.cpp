#include "input_checks.hpp"

#include "kolvar/format.hpp"

#include <cmath>
#include <cstdint>
#include <string>

namespace kolvar::engine {
namespace {

using format::text;

std::uint64_t count(std::size_t n) { return static_cast<std::uint64_t>(n); }

}  // namespace

Result<void> finite_entries(std::string_view what, const Matrix& matrix)
{
    for (std::size_t i = 0; i < matrix.size(); ++i)
        for (std::size_t j = 0; j < matrix[i].size(); ++j)
            if (!std::isfinite(matrix[i][j]))
                return invalid_input(text(what, "[", count(i), "][", count(j), "] must be finite, got ", matrix[i][j]));
    return {};
}

Result<void> finite_entries(std::string_view what, const std::vector<double>& values)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!std::isfinite(values[i]))
            return invalid_input(text(what, "[", count(i), "] must be finite, got ", values[i]));
    return {};
}

Result<void> exact_shape(std::string_view what, const Matrix& matrix, std::size_t rows, std::size_t columns)
{
    bool fits = matrix.size() == rows;
    for (const auto& row : matrix) fits = fits && row.size() == columns;
    if (fits) return {};
    std::string got = text(count(matrix.size()), " rows");
    for (const auto& row : matrix)
        if (row.size() != columns) {
            got += text(", one of ", count(row.size()), " entries");
            break;
        }
    return invalid_input(text(what, " must have ", count(rows), " rows of ", count(columns), " values, got ", got));
}

Result<double> entry_sum(std::string_view what, std::span<const double> x)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!(std::isfinite(x[i]) && x[i] >= 0.0))
            return invalid_input(
                text(what, " entries must be finite and non-negative, got ", x[i], " at index ", count(i)));
        sum += x[i];
    }
    return sum;
}

Result<void> normalised_feed(std::span<const double> z)
{
    double sum = 0.0;
    for (double v : z) sum += v;
    if (std::abs(sum - 1.0) <= 1e-6) return {};
    return invalid_input(text("feed composition must be mole fractions summing to 1, got a sum of ", sum,
                              " (a composition in percent must be divided by 100)"));
}

}  // namespace kolvar::engine
