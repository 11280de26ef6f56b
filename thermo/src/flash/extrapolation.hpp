// Dominant-eigenvalue extrapolation of successive substitution. Near its
// fixed point a substitution sequence converges like lambda^k along the
// slowest direction, lambda the dominant eigenvalue of the iteration; from
// two consecutive steps s_{k-1}, s_k of the logarithmic variables,
//   lambda = (s_k . s_k) / (s_{k-1} . s_k),
// and the remaining distance along that direction is s_k lambda/(1 - lambda).
// Taking that jump every few passes cuts the passes of slowly converging
// sequences (a flash near a phase boundary, a stability trial near a
// critical point) to a fraction, while the fixed point and the convergence
// test of the plain passes stay what they were. No heap allocation for up
// to 8 variables.
#pragma once

#include "thermo/small_vector.hpp"

#include <cstddef>
#include <span>

namespace kolvar::thermo::flash {

class Extrapolation {
public:
    explicit Extrapolation(std::size_t n) : previous_(n, 0.0) {}

    struct Advice {
        double jump = 0.0;    // add s_k times this to the new logarithms (0: a plain pass)
        bool revert = false;  // go back to where the last jump started
    };

    // The step s_k of this pass (new minus old logarithms). Jumps come every
    // `period` passes, from two plain steps, and only for a lambda in
    // (0, limit): a sequence that oscillates or has hardly begun to contract
    // goes on unaided. A jump after which the sequence moves more than it did
    // before is undone, and the run keeps to plain passes from then on (a
    // sequence far from linear, near a critical point or a phase boundary).
    Advice advise(std::span<const double> step)
    {
        if (off_) return {};
        double along = 0.0;
        double length = 0.0;
        for (std::size_t i = 0; i < step.size(); ++i) {
            along += previous_[i] * step[i];
            length += step[i] * step[i];
            previous_[i] = step[i];
        }
        if (jumped_) {
            jumped_ = false;
            if (!(length < before_)) {
                off_ = true;
                return {.revert = true};
            }
        }
        if (++passes_ % period != 0) return {};
        const double lambda = length / along;
        if (!(lambda > 0.0 && lambda < limit)) return {};
        jumped_ = true;
        before_ = length;
        return {.jump = lambda / (1.0 - lambda)};
    }

    // The caller did not take the jump advised last.
    void declined() { jumped_ = false; }

private:
    static constexpr unsigned period = 3;
    static constexpr double limit = 0.99;  // no jump of more than 99 steps

    SmallVector<double, 8> previous_;
    unsigned passes_ = 0;
    double before_ = 0.0;  // |s_k|^2 of the step a jump extrapolated
    bool jumped_ = false;
    bool off_ = false;
};

}  // namespace kolvar::thermo::flash
