// Bubble temperature of an activity-form liquid (an activity model or the
// ideal solution) under an ideal-gas vapour: there K_i = f_i^L(T, P, x)/(x_i P)
// does not depend on the vapour, so F(T) = ln sum_i x_i K_i has the sign of
// ln(Pbub(T)/P) and its zero is the bubble point. Newton on 1/T with the
// exact slope of a Dual temperature finds it in a few evaluations.
#pragma once

#include "thermo/flash.hpp"

#include <optional>
#include <span>

namespace kolvar::thermo::flash {

// The fast path of the public bubble temperature for these systems, from
// Wilson's estimate. A result comes back only when certified as the point
// the grid scan would report: |F| < tolerance (so |S - 1| is too) within
// max_iterations evaluations, F rising with T there (the first crossing the
// scan meets) and T inside the scanned range; otherwise nothing, and the
// caller runs the scan. Nothing either for another system, a composition
// that is not n finite non-negative mole fractions summing to one, or a
// stop already requested.
std::optional<IncipientPoint> ideal_vapour_bubble_temperature(const SystemSpec& spec, double pressure,
                                                              std::span<const double> x, double tolerance,
                                                              unsigned max_iterations);

}  // namespace kolvar::thermo::flash
