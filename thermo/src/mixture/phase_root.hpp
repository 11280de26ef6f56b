// The compressibility root of one phase: what solving the cubic and picking
// the phase's root (select_root) give, without forming the roots the phase
// does not take when the discriminant leaves no doubt about their number.
#pragma once

#include "thermo/cubic.hpp"
#include "thermo/eos.hpp"
#include "thermo/phase.hpp"

#include <expected>
#include <optional>

namespace kolvar::thermo {

// The root of Z^3 + c2 Z^2 + c1 Z + c0 for the phase among those above b
// (Vapor the largest, Liquid the smallest), nullopt when there is none, or
// the solver's error for a non-finite coefficient. A clearly positive
// discriminant gives the one real root by Cardano's formula; a clearly
// negative one the needed root of the trigonometric form (one cosine). Near
// repeated roots, and for anything not finite, the full solver decides.
std::expected<std::optional<double>, CubicError> phase_root(const CubicCoefficients& k, double b, Phase phase);

// At most two Newton steps on the cubic, stopping on a vanishing derivative.
inline double polish_root(double z, const CubicCoefficients& k)
{
    for (int step = 0; step < 2; ++step) {
        const double slope = (3.0 * z + 2.0 * k.c2) * z + k.c1;
        if (slope < 1e-10 && slope > -1e-10) break;
        z -= (((z + k.c2) * z + k.c1) * z + k.c0) / slope;
    }
    return z;
}

}  // namespace kolvar::thermo
