// A block-tridiagonal linear system with dense blocks of any sizes, solved
// by block elimination down the diagonal (LU with partial pivoting of each
// reduced diagonal block) and substitution back up.
#pragma once

#include "engine/error.hpp"

#include <cstddef>
#include <span>
#include <vector>

namespace kolvar::engine::mesh {

class BlockTridiagonal {
public:
    explicit BlockTridiagonal(std::vector<std::size_t> sizes);

    std::size_t blocks() const { return sizes_.size(); }
    std::size_t size(std::size_t b) const { return sizes_[b]; }
    // Zeroes every block.
    void clear();

    // Entry (r, c) of block row b: lower couples block b - 1, upper block b + 1.
    double& lower(std::size_t b, std::size_t r, std::size_t c) { return lower_[b][r * sizes_[b - 1] + c]; }
    double& diagonal(std::size_t b, std::size_t r, std::size_t c) { return diagonal_[b][r * sizes_[b] + c]; }
    double& upper(std::size_t b, std::size_t r, std::size_t c) { return upper_[b][r * sizes_[b + 1] + c]; }

    // Solves A x = rhs in place, destroying the blocks. InvalidInput-free:
    // NotConverged "the stage equations' Jacobian is singular at block {b}"
    // for a zero pivot.
    Result<void> solve(std::span<double> rhs);

private:
    std::vector<std::size_t> sizes_;
    std::vector<std::size_t> offsets_;
    std::vector<std::vector<double>> lower_, diagonal_, upper_;
    std::vector<std::size_t> pivots_;
};

}  // namespace kolvar::engine::mesh
