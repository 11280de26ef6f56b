// Fixed numerical constants of the binary design. They are part of the
// behaviour (messages print some of them), not options.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kolvar::engine::binary_limits {

// Two doubles closer than this count as equal: q = 1, q = 0, E_MV = 1,
// parallel lines, and the slack of a curve's sampled range.
inline constexpr double equal_tolerance = 1e-12;

// A stage that moves the liquid composition by less than this has pinched.
inline constexpr double min_stage_progress = 1e-10;

// Halvings of the bracket in one pseudo-equilibrium (Murphree) step.
inline constexpr int bisection_halvings = 60;

// Stages per staircase before the construction gives up.
inline constexpr std::uint64_t max_stages = 500;

// Sample counts accepted by the curve constructors. The upper bound keeps a
// huge request from reaching the allocator (8 bytes per value, three arrays).
inline constexpr std::uint64_t min_curve_points = 5;
inline constexpr std::uint64_t max_curve_points = 100'000'000;

// Sample count of constant_alpha when none is given: a grid step of 0.01.
inline constexpr std::uint64_t default_curve_points = 101;

}  // namespace kolvar::engine::binary_limits
