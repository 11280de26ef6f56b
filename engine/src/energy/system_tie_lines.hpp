// The tie lines of a binary system itself, at one pressure: from a liquid's
// bubble point or a vapour's dew point, with both saturated enthalpies at
// that temperature. The sampled diagram (tie_lines.hpp) finds where to look;
// these settle the answer on the system's own equilibrium.
#pragma once

#include "tie_lines.hpp"

#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

#include <cmath>

namespace kolvar::engine::detail {

struct ExactTie {
    TieLine line;
    double t = 0.0;  // the bubble temperature of its liquid, K
};

class SystemTieLines {
public:
    SystemTieLines(const ThermoSystem& system, double pressure) noexcept : system_(system), pressure_(pressure) {}

    // The tie line whose liquid end is x: the bubble point of x.
    Result<ExactTie> of_liquid(double x) const;
    // The tie line whose vapour end is y: the dew point of y.
    Result<ExactTie> of_vapour(double y) const;

private:
    const ThermoSystem& system_;
    double pressure_;
};

// The composition at which a tie line settles: successive secant steps from
// `start` on `residual(s)` (which answers Result<double> and keeps the last
// tie line it evaluated), each kept inside [lo, hi], until the next step
// would move less than `settled`, or, within 1e-9, the residual no longer
// shrinks (the rounding of the saturation points is reached). The
// composition returned is the last one evaluated. Empty after 40 steps
// without settling.
template <class Residual>
Result<std::optional<double>> secant_root(Residual&& residual, double start, double lo, double hi, double settled)
{
    const auto clamp = [&](double s) { return std::fmin(hi, std::fmax(lo, s)); };
    double s0 = clamp(start);
    auto r0 = residual(s0);
    if (!r0) return std::unexpected(r0.error());
    if (*r0 == 0.0) return s0;
    // A second point a small step toward the middle of the bracket.
    double s1 = clamp(s0 + 1e-7 * (s0 - lo < hi - s0 ? 1.0 : -1.0));
    double f0 = *r0;
    for (int i = 0; i < 40; ++i) {
        auto r1 = residual(s1);
        if (!r1) return std::unexpected(r1.error());
        const double f1 = *r1;
        if (f1 == 0.0) return s1;
        const bool near = std::fabs(s1 - s0) <= 1e-9;
        if (near && i > 0 && !(std::fabs(f1) < std::fabs(f0))) {
            // At the rounding floor: keep the better of the last two.
            if (auto again = residual(s0); !again) return std::unexpected(again.error());
            return s0;
        }
        if (f1 == f0) return near ? std::optional{s1} : std::nullopt;
        const double next = clamp(s1 - f1 * (s1 - s0) / (f1 - f0));
        if (std::fabs(next - s1) <= settled) return s1;
        s0 = s1;
        f0 = f1;
        s1 = next;
    }
    return std::optional<double>{};
}

}  // namespace kolvar::engine::detail
